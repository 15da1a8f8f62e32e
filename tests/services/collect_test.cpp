// CSCMServiceMan::Collect over machine models: enumeration batches, the
// configuration and registry reads of each service, and handle accounting.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "platform/machine/version_resource.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/services/record_support.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::test::FindService;
using tov::machine::ScopedMachine;
using tov::test::StoreRecord;
using tov::test::Str;

BOOL CollectFrom(Machine& m, CSCMServiceMan& man) {
  ScopedMachine use(m);
  return man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
}

std::vector<std::string> Names(const CSCMServiceMan& man) {
  std::vector<std::string> names;
  for (const CSCMService* s = man.m_pFirst; s != nullptr; s = s->m_pNext) {
    names.push_back(s->m_strServiceName);
  }
  return names;
}

// `count` services whose entries take `entry_size` bytes each in a batch.
std::vector<std::string> AddSizedServices(Machine& m, int count, size_t entry_size) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name = "svc" + std::to_string(100 + i);
    size_t display = entry_size - sizeof(ENUM_SERVICE_STATUSA) - (name.size() + 1) - 1;
    m.AddService(name).DisplayName(std::string(display, 'd'));
    names.push_back(name);
  }
  return names;
}

TEST(Collect, OneBatchCopiesNamesAndStatusInOrder) {
  Machine m;
  SERVICE_STATUS running{SERVICE_WIN32_SHARE_PROCESS, SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0, 0, 0};
  m.AddService("Dhcp").DisplayName("DHCP Client").Status(running);
  m.AddService("disk").KernelDriver().Running();
  m.AddService("Alerter").DisplayName("Alerter").Stopped();
  CSCMServiceMan man;
  EXPECT_TRUE(CollectFrom(m, man));
  EXPECT_EQ(m.Calls("EnumServicesStatusA"), 1);
  EXPECT_EQ(Names(man), (std::vector<std::string>{"Dhcp", "disk", "Alerter"}));
  EXPECT_EQ(man.m_nCount, 3u);
  EXPECT_EQ(man.m_pLast->m_strServiceName, "Alerter");
  const CSCMService* dhcp = FindService(man, "Dhcp");
  EXPECT_EQ(dhcp->m_strDisplayName, "DHCP Client");
  EXPECT_EQ(0, std::memcmp(&dhcp->m_status, &running, sizeof running));
  EXPECT_EQ(dhcp->m_pOwner, &man);
  EXPECT_EQ(FindService(man, "disk")->m_strDisplayName, "disk");
  EXPECT_EQ(man.m_hSCManager, nullptr);
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(Collect, ThreeBatchesKeepTheOrderAndCountEveryService) {
  Machine m;
  const size_t entry = 300;
  const int per_batch = static_cast<int>(CSCMServiceMan::kEnumBufferSize / entry);
  std::vector<std::string> names = AddSizedServices(m, 2 * per_batch + 1, entry);
  CSCMServiceMan man;
  EXPECT_TRUE(CollectFrom(m, man));
  EXPECT_EQ(m.Calls("EnumServicesStatusA"), 3);
  EXPECT_EQ(Names(man), names);
  EXPECT_EQ(man.m_nCount, names.size());
  EXPECT_EQ(man.m_pLast->m_strServiceName, names.back());
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(Collect, NothingToListOrNoManager) {
  struct Case {
    const char* what;
    bool refuse;
    BOOL result;
  };
  for (const Case& c : {Case{"no services", false, TRUE}, Case{"manager refuses", true, FALSE}}) {
    Machine m;
    if (c.refuse) m.Services().RefuseOpen();
    CSCMServiceMan man;
    EXPECT_EQ(CollectFrom(m, man), c.result) << c.what;
    EXPECT_EQ(man.m_nCount, 0u) << c.what;
    EXPECT_EQ(man.m_pFirst, nullptr) << c.what;
    EXPECT_EQ(man.m_pLast, nullptr) << c.what;
    EXPECT_EQ(m.OpenHandles(), 0) << c.what;
  }
}

TEST(Collect, FailedBatchEndsTheEnumerationAndKeepsEarlierServices) {
  Machine m;
  const size_t entry = 400;
  const int per_batch = static_cast<int>(CSCMServiceMan::kEnumBufferSize / entry);
  std::vector<std::string> names = AddSizedServices(m, 3 * per_batch, entry);
  m.Services().FailEnumeration(2, ERROR_ACCESS_DENIED);
  CSCMServiceMan man;
  EXPECT_FALSE(CollectFrom(m, man));
  EXPECT_EQ(m.Calls("EnumServicesStatusA"), 2);
  EXPECT_EQ(Names(man), std::vector<std::string>(names.begin(), names.begin() + per_batch));
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(Collect, EntryLargerThanTheBufferEndsTheEnumeration) {
  // Asking again would return the same nothing forever.
  Machine m;
  m.AddService("small");
  m.AddService("huge").DisplayName(std::string(CSCMServiceMan::kEnumBufferSize, 'h'));
  m.AddService("after");
  CSCMServiceMan man;
  EXPECT_FALSE(CollectFrom(m, man));
  EXPECT_EQ(Names(man), std::vector<std::string>{"small"});
  EXPECT_EQ(m.Calls("EnumServicesStatusA"), 2);
}

TEST(Collect, AppendsBehindServicesAlreadyThere) {
  Machine m;
  m.AddService("one");
  m.AddService("two");
  CSCMServiceMan man;
  CollectFrom(m, man);
  CollectFrom(m, man);
  EXPECT_EQ(Names(man), (std::vector<std::string>{"one", "two", "one", "two"}));
  EXPECT_EQ(man.m_nCount, 4u);
}

TEST(Collect, ReadsTheConfigurationOfEveryService) {
  Machine m;
  m.AddService("Browser")
      .ShareProcess()
      .StartType(SERVICE_AUTO_START)
      .ErrorControl(SERVICE_ERROR_SEVERE)
      .ImagePath("%SystemRoot%\\system32\\svchost.exe -k netsvcs")
      .Group("NetworkProvider")
      .Tag(7)
      .Dependencies({"LanmanServer", "+NetBIOSGroup"})
      .StartName("LocalSystem");
  m.AddService("Lonely").OwnProcess().BinaryPath("C:\\lonely.exe");
  CSCMServiceMan man;
  CollectFrom(m, man);
  const CSCMService* b = FindService(man, "Browser");
  EXPECT_EQ(b->m_dwServiceType, static_cast<DWORD>(SERVICE_WIN32_SHARE_PROCESS));
  EXPECT_EQ(b->m_dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(b->m_dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_SEVERE));
  EXPECT_EQ(b->m_strBinaryPathName, "%SystemRoot%\\system32\\svchost.exe -k netsvcs");
  EXPECT_EQ(b->m_strLoadOrderGroup, "NetworkProvider");
  EXPECT_EQ(b->m_dwTagId, 7u);
  EXPECT_EQ(b->m_strDependencies, "LanmanServer\n+NetBIOSGroup");
  EXPECT_EQ(b->m_strServiceStartName, "LocalSystem");
  const CSCMService* lonely = FindService(man, "Lonely");
  EXPECT_EQ(lonely->m_strDependencies, "");
  EXPECT_EQ(lonely->m_strBinaryPathName, "C:\\lonely.exe");  // no key: the configuration's path
  // Each service: one call for the size and one for the configuration.
  EXPECT_EQ(m.Calls("QueryServiceConfigA"), 4);
  EXPECT_EQ(m.OpenHandles(), 0);
}

// A service that the manager lists with an empty name keeps its entry (its
// display name and status) but names no service to open and no key of its
// own: nothing else is read for it, not even the values of the Services key
// itself. Its record starts with the empty name.
TEST(Collect, AServiceWithAnEmptyName) {
  Machine m;
  m.AddService("").DisplayName("Nameless").KernelDriver().Running();
  m.AddService("disk").KernelDriver().ImagePath("system32\\DRIVERS\\disk.sys");
  m.Registry()
      .Key("SYSTEM\\CurrentControlSet\\Services")
      .Sz("Description", "not a service's")
      .Sz("ImagePath", "C:\\not a service's.sys");
  CSCMServiceMan man;
  EXPECT_TRUE(CollectFrom(m, man));
  EXPECT_EQ(Names(man), (std::vector<std::string>{"", "disk"}));
  const CSCMService* nameless = man.m_pFirst;
  EXPECT_EQ(nameless->m_strDisplayName, "Nameless");
  EXPECT_EQ(nameless->m_status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(nameless->m_dwServiceType, 0u);
  EXPECT_EQ(nameless->m_strDescription, "");
  EXPECT_EQ(nameless->m_strBinaryPathName, "");
  EXPECT_EQ(nameless->m_strServiceDll, "");
  EXPECT_EQ(FindService(man, "disk")->m_strBinaryPathName, "system32\\DRIVERS\\disk.sys");
  EXPECT_EQ(m.OpenHandles(), 0);

  Bytes stored = StoreRecord(const_cast<CSCMService&>(*nameless));
  Bytes head = Cat({Str(""), Str("Nameless"), Str("")});
  ASSERT_GE(stored.size(), head.size());
  EXPECT_EQ(Hex(Bytes(stored.begin(), stored.begin() + static_cast<long>(head.size()))), Hex(head));
}

TEST(Collect, ServiceThatCannotBeOpenedStillGetsItsRegistryValues) {
  Machine m;
  m.AddService("Locked").KernelDriver().ImagePath("system32\\drivers\\locked.sys").DenyAccess();
  m.AddService("Locked").Description("Cannot be opened");
  m.File("system32\\drivers\\locked.sys")
      .VersionBlock(tov::machine::VersionResource().String("040904b0", "FileVersion", "1.0").Build());
  CSCMServiceMan man;
  CollectFrom(m, man);
  const CSCMService* s = FindService(man, "Locked");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->m_dwServiceType, 0u);
  EXPECT_EQ(s->m_dwStartType, 0u);
  EXPECT_EQ(s->m_strDescription, "Cannot be opened");
  EXPECT_EQ(s->m_strBinaryPathName, "system32\\drivers\\locked.sys");
  // With no configured type it is not taken for a driver, so its path is not
  // put below the Windows directory.
  ASSERT_NE(s->m_pVerInfo, nullptr);
  EXPECT_EQ(s->m_pVerInfo->m_strFileName, "system32\\drivers\\locked.sys");
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(Collect, RegistryValues) {
  Machine m;
  m.AddService("LongPath").ImagePath("C:\\short.exe").Key().ExpandSz("ImagePath",
                                                                    std::string(299, 'p'));
  m.AddService("Indirect").ImagePath("C:\\from-config.exe")
      .Description("@%SystemRoot%\\system32\\indirect.dll,-100");
  m.AddService("Indirect").Key().ExpandSz("ImagePath", "%SystemRoot%\\indirect.exe");
  m.AddService("NoParams").OwnProcess();
  m.AddService("Shared").ShareProcess().ServiceDll("%SystemRoot%\\System32\\shared.dll");
  m.AddService("NoNul").Key().Raw("Description", REG_SZ, {'a', 'b', 'c'});
  m.AddService("FullValue").Key().Sz("Description", std::string(259, 'f'));
  m.AddService("Oversized").Key().Sz("Description", std::string(260, 'o'));
  CSCMServiceMan man;
  CollectFrom(m, man);
  EXPECT_EQ(FindService(man, "LongPath")->m_strBinaryPathName, "C:\\short.exe");
  EXPECT_EQ(FindService(man, "Indirect")->m_strDescription, "@%SystemRoot%\\system32\\indirect.dll,-100");
  EXPECT_EQ(FindService(man, "Indirect")->m_strBinaryPathName, "%SystemRoot%\\indirect.exe");
  EXPECT_EQ(FindService(man, "NoParams")->m_strServiceDll, "");
  EXPECT_EQ(FindService(man, "Shared")->m_strServiceDll, "%SystemRoot%\\System32\\shared.dll");
  EXPECT_EQ(FindService(man, "NoNul")->m_strDescription, "abc");
  EXPECT_EQ(FindService(man, "FullValue")->m_strDescription, std::string(259, 'f'));
  EXPECT_EQ(FindService(man, "Oversized")->m_strDescription, "");
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(Collect, KeyPathsThatDoNotFitAreNotRead) {
  // "SYSTEM\CurrentControlSet\Services\" is 34 characters; with the NUL a key
  // path holds 260.
  struct Case {
    size_t name_length;
    bool key_read;
    bool parameters_read;
  };
  const Case cases[] = {{214, true, true}, {215, true, false}, {225, true, false},
                        {226, false, false}};
  for (const Case& c : cases) {
    Machine m;
    std::string name(c.name_length, 'n');
    m.AddService(name).BinaryPath("C:\\config.exe").Description("described")
        .ServiceDll("C:\\dll.dll");
    m.AddService(name).Key().ExpandSz("ImagePath", "C:\\registry.exe");
    CSCMServiceMan man;
    CollectFrom(m, man);
    const CSCMService* s = FindService(man, name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_strDescription, c.key_read ? "described" : "") << c.name_length;
    EXPECT_EQ(s->m_strBinaryPathName, c.key_read ? "C:\\registry.exe" : "C:\\config.exe")
        << c.name_length;
    EXPECT_EQ(s->m_strServiceDll, c.parameters_read ? "C:\\dll.dll" : "") << c.name_length;
    EXPECT_EQ(m.OpenHandles(), 0);
  }
}

}  // namespace
