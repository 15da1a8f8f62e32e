// The Service Control Manager operations of the Linux platform layer over a
// machine model: batches, the configuration's size protocol, handles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "win32_api.h"

namespace {

using tov::machine::kScmHandle;
using tov::machine::kServiceHandle;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

class ScmApi : public ::testing::Test {
 protected:
  ScmApi() {
    m_.ComputerName("WS01");
    m_.AddService("Dhcp").DisplayName("DHCP Client").ShareProcess().Running();
    m_.AddService("disk").KernelDriver().Running();
    m_.AddService("Fax").DisplayName("Fax Service").Stopped();
    m_.AddService("Ntfs").FileSystemDriver().Stopped();
    m_.AddService("Adapter").Type(SERVICE_ADAPTER).Running();
  }
  Machine m_;
  ScopedMachine use_{m_};
};

// Names of one enumeration call's entries.
std::vector<std::string> Listed(const std::vector<BYTE>& buffer, DWORD count) {
  std::vector<std::string> names;
  auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(entries[i].lpServiceName);
  return names;
}

TEST_F(ScmApi, ManagerOfThisComputerOnly) {
  struct Case {
    const char* machine;
    const char* database;
    DWORD error;  // 0: opens
  };
  const Case cases[] = {
      {nullptr, nullptr, 0},
      {"", "ServicesActive", 0},
      {"\\\\ws01", nullptr, 0},
      {"OTHER", nullptr, RPC_S_SERVER_UNAVAILABLE},
      {nullptr, "ServicesFailed", ERROR_DATABASE_DOES_NOT_EXIST},
  };
  for (const Case& c : cases) {
    SC_HANDLE scm = OpenSCManagerA(c.machine, c.database, GENERIC_READ);
    EXPECT_EQ(scm != nullptr, c.error == 0) << (c.machine ? c.machine : "(null)");
    if (scm == nullptr) {
      EXPECT_EQ(GetLastError(), c.error);
    } else {
      EXPECT_EQ(m_.OpenHandles(kScmHandle), 1);
      EXPECT_TRUE(CloseServiceHandle(scm));
    }
  }
  EXPECT_EQ(m_.OpenHandles(), 0);
}

TEST_F(ScmApi, BatchesResumeWhereTheBufferFilled) {
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  ASSERT_NE(scm, nullptr);
  // Room for exactly two entries with the names of the first two.
  const DWORD size = 2 * sizeof(ENUM_SERVICE_STATUSA) + sizeof("Dhcp") + sizeof("DHCP Client") +
                     sizeof("disk") + sizeof("disk");
  std::vector<BYTE> buffer(size);
  auto* entries = reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data());
  DWORD needed = 0, returned = 0, resume = 0;
  EXPECT_FALSE(EnumServicesStatusA(scm, SERVICE_DRIVER | SERVICE_WIN32, SERVICE_STATE_ALL,
                                   entries, size, &needed, &returned, &resume));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(Listed(buffer, returned), (std::vector<std::string>{"Dhcp", "disk"}));
  EXPECT_EQ(needed, 2 * sizeof(ENUM_SERVICE_STATUSA) + sizeof("Fax") + sizeof("Fax Service") +
                        2 * sizeof("Ntfs"));
  for (DWORD i = 0; i < returned; ++i) {
    for (const char* text : {entries[i].lpServiceName, entries[i].lpDisplayName}) {
      EXPECT_GE(reinterpret_cast<const BYTE*>(text), buffer.data());
      EXPECT_LT(reinterpret_cast<const BYTE*>(text), buffer.data() + buffer.size());
    }
  }
  EXPECT_STREQ(entries[0].lpDisplayName, "DHCP Client");
  EXPECT_EQ(entries[0].ServiceStatus.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_SHARE_PROCESS));
  EXPECT_EQ(entries[0].ServiceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

  EXPECT_TRUE(EnumServicesStatusA(scm, SERVICE_DRIVER | SERVICE_WIN32, SERVICE_STATE_ALL, entries,
                                  size, &needed, &returned, &resume));
  EXPECT_EQ(Listed(buffer, returned), (std::vector<std::string>{"Fax", "Ntfs"}));
  EXPECT_EQ(resume, 0u);
  EXPECT_EQ(needed, 0u);
  CloseServiceHandle(scm);
}

TEST_F(ScmApi, TypeAndStateSelectTheServices) {
  struct Case {
    DWORD type;
    DWORD state;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {SERVICE_DRIVER, SERVICE_STATE_ALL, {"disk", "Ntfs"}},
      {SERVICE_WIN32, SERVICE_ACTIVE, {"Dhcp"}},
      {SERVICE_DRIVER | SERVICE_WIN32, SERVICE_INACTIVE, {"Fax", "Ntfs"}},
      {SERVICE_ADAPTER, SERVICE_STATE_ALL, {"Adapter"}},
  };
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  std::vector<BYTE> buffer(4096);
  for (const Case& c : cases) {
    DWORD needed = 0, returned = 0, resume = 0;
    EXPECT_TRUE(EnumServicesStatusA(scm, c.type, c.state,
                                    reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()),
                                    4096, &needed, &returned, &resume));
    EXPECT_EQ(Listed(buffer, returned), c.names) << c.type << " " << c.state;
  }
  CloseServiceHandle(scm);
}

TEST_F(ScmApi, ConfigurationSizeThenContent) {
  m_.AddService("Fax").StartType(SERVICE_DISABLED).ImagePath("C:\\fax.exe")
      .Dependencies({"Spooler", "+Print"}).StartName("NT AUTHORITY\\LocalService");
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  SC_HANDLE service = OpenServiceA(scm, "FAX", GENERIC_READ);  // any letter case
  ASSERT_NE(service, nullptr);
  DWORD needed = 0;
  EXPECT_FALSE(QueryServiceConfigA(service, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(needed, sizeof(QUERY_SERVICE_CONFIGA));
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer.data());
  DWORD again = 0;
  EXPECT_FALSE(QueryServiceConfigA(service, config, needed - 1, &again));
  EXPECT_EQ(again, needed);
  ASSERT_TRUE(QueryServiceConfigA(service, config, needed, &again));
  EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_DISABLED));
  EXPECT_STREQ(config->lpBinaryPathName, "C:\\fax.exe");
  EXPECT_STREQ(config->lpServiceStartName, "NT AUTHORITY\\LocalService");
  EXPECT_STREQ(config->lpDisplayName, "Fax Service");
  EXPECT_EQ(std::string(config->lpDependencies, sizeof("Spooler\0+Print\0")),
            std::string("Spooler\0+Print\0\0", sizeof("Spooler\0+Print\0")));
  EXPECT_EQ(m_.OpenHandles(kServiceHandle), 1);
  EXPECT_TRUE(CloseServiceHandle(service));
  EXPECT_FALSE(CloseServiceHandle(service));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseServiceHandle(scm);
  EXPECT_EQ(m_.OpenHandles(), 0);
}

TEST_F(ScmApi, ServicesThatCannotBeOpened) {
  m_.AddService("Locked").DenyAccess();
  SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  EXPECT_EQ(OpenServiceA(scm, "Missing", GENERIC_READ), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(OpenServiceA(scm, "Locked", GENERIC_READ), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseServiceHandle(scm);
  EXPECT_EQ(OpenServiceA(scm, "Dhcp", GENERIC_READ), nullptr);  // the manager is closed
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
