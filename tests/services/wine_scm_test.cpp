// The service inventory over the platform's real Service Control Manager (run
// under Wine): what Collect gathers must match what the manager lists and
// what each service's configuration and image file say.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/services/record_support.h"
#include "win32_api.h"

namespace tov::test {
namespace {

constexpr DWORD kServiceTypes = SERVICE_KERNEL_DRIVER | SERVICE_FILE_SYSTEM_DRIVER |
                                SERVICE_RECOGNIZER_DRIVER | SERVICE_WIN32_OWN_PROCESS |
                                SERVICE_WIN32_SHARE_PROCESS;

struct Listed {
  std::string name;
  QUERY_SERVICE_CONFIGA config;
  std::string start_name;
};

// The manager's own list, in one call with a buffer of the size it asks for,
// with each service's configuration read directly.
std::vector<Listed> ListDirectly() {
  std::vector<Listed> listed;
  ScopedServiceHandle scm(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
  if (!scm) return listed;
  DWORD needed = 0, returned = 0, resume = 0;
  EnumServicesStatusA(scm.get(), kServiceTypes, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                      &resume);
  std::vector<ENUM_SERVICE_STATUSA> entries(needed / sizeof(ENUM_SERVICE_STATUSA) + 1);
  DWORD size = static_cast<DWORD>(entries.size() * sizeof(ENUM_SERVICE_STATUSA));
  resume = 0;
  if (!EnumServicesStatusA(scm.get(), kServiceTypes, SERVICE_STATE_ALL, entries.data(), size,
                           &needed, &returned, &resume)) {
    return listed;
  }
  for (DWORD i = 0; i < returned; ++i) {
    Listed item{entries[i].lpServiceName, {}, {}};
    ScopedServiceHandle service(OpenServiceA(scm.get(), entries[i].lpServiceName, GENERIC_READ));
    DWORD config_size = 0;
    QueryServiceConfigA(service.get(), nullptr, 0, &config_size);
    std::vector<BYTE> buffer(config_size);
    auto* config = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer.data());
    if (config_size != 0 && QueryServiceConfigA(service.get(), config, config_size, &config_size)) {
      item.config = *config;
      item.start_name = config->lpServiceStartName != nullptr ? config->lpServiceStartName : "";
    }
    listed.push_back(item);
  }
  return listed;
}

// True when the manager splits its list into 4096-byte batches that resume
// where the last one ended, or needs no second batch. Wine's manager reports
// ERROR_MORE_DATA with a count but neither fills the buffer nor moves the
// resume handle.
bool ManagerListsInBatches() {
  ScopedServiceHandle scm(OpenSCManagerA(nullptr, nullptr, GENERIC_READ));
  std::vector<BYTE> buffer(CSCMServiceMan::kEnumBufferSize);
  DWORD needed = 0, returned = 0, resume = 0;
  BOOL all = EnumServicesStatusA(scm.get(), kServiceTypes, SERVICE_STATE_ALL,
                                 reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()),
                                 CSCMServiceMan::kEnumBufferSize, &needed, &returned, &resume);
  return all || resume != 0;
}

// Collects into `man` and compares it with the manager's own list. A manager
// that cannot give its list in batches gives no services, and Collect says so.
void CollectAndCompare(CSCMServiceMan& man) {
  const std::vector<Listed> listed = ListDirectly();
  ASSERT_FALSE(listed.empty()) << "the Service Control Manager listed nothing";
  const bool batches = ManagerListsInBatches();

  BOOL result = man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  EXPECT_EQ(man.m_hSCManager, nullptr);
  if (!batches) {
    EXPECT_FALSE(result);
    EXPECT_EQ(man.m_nCount, 0u);
    return;
  }
  EXPECT_TRUE(result);
  ASSERT_EQ(man.m_nCount, listed.size());

  int with_version = 0;
  size_t i = 0;
  for (const CSCMService* s = man.m_pFirst; s != nullptr; s = s->m_pNext, ++i) {
    ASSERT_LT(i, listed.size());
    const Listed& expected = listed[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(s->m_strServiceName, expected.name);
    EXPECT_EQ(s->m_pOwner, &man);
    // Every configuration was read: each service has a type and the values
    // the manager reports.
    EXPECT_NE(s->m_dwServiceType, 0u);
    EXPECT_EQ(s->m_dwServiceType, expected.config.dwServiceType);
    EXPECT_EQ(s->m_dwStartType, expected.config.dwStartType);
    EXPECT_EQ(s->m_dwErrorControl, expected.config.dwErrorControl);
    EXPECT_EQ(s->m_strServiceStartName, expected.start_name);

    // A file that exists and has a version resource gives a record.
    std::string path;
    DWORD handle = 0;
    if (s->GetBinaryPath(path) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        GetFileVersionInfoSizeA(path.c_str(), &handle) != 0) {
      ++with_version;
      ASSERT_NE(s->m_pVerInfo, nullptr) << path;
      EXPECT_EQ(s->m_pVerInfo->m_strFileName, path);
      EXPECT_FALSE(s->m_pVerInfo->m_strFileVersion.empty() &&
                   s->m_pVerInfo->m_strProductVersion.empty())
          << path;
    } else {
      EXPECT_EQ(s->m_pVerInfo, nullptr) << path;
    }
  }
  EXPECT_EQ(man.m_pLast->m_strServiceName, listed.back().name);
  EXPECT_GT(with_version, 0) << "no service's image file with a version resource in the prefix";
}

TEST(WineServices, InventoryMatchesTheManagersList) {
  CSCMServiceMan man;
  CollectAndCompare(man);
  if (HasFatalFailure() || man.m_nCount == 0) return;
  // The record of the real inventory reads back to the same services.
  CSCMServiceMan loaded;
  LoadRecord(StoreRecord(man), loaded);
  EXPECT_EQ(loaded.m_nCount, man.m_nCount);
  EXPECT_EQ(loaded.m_pLast->m_strServiceName, man.m_pLast->m_strServiceName);
}

// Services created for one test and deleted again (also those an interrupted
// earlier run left behind).
class TestServices {
 public:
  TestServices(int count, size_t display_padding) : count_(count) {
    Remove();
    ScopedServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    for (int i = 0; scm && i < count_; ++i) {
      std::string display = Name(i) + std::string(display_padding, '.');
      ScopedServiceHandle service(CreateServiceA(
          scm.get(), Name(i).c_str(), display.c_str(), SERVICE_ALL_ACCESS,
          SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
          "C:\\windows\\system32\\msiexec.exe /V", "TovGroup", nullptr, nullptr, nullptr,
          nullptr));
      if (!service) {
        error_ = GetLastError();
        return;
      }
      SERVICE_DESCRIPTIONA description{const_cast<char*>("@%SystemRoot%\\x.dll,-1")};
      ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &description);
    }
  }
  ~TestServices() { Remove(); }
  TestServices(const TestServices&) = delete;
  TestServices& operator=(const TestServices&) = delete;

  static std::string Name(int i) { return "TovTestService" + std::to_string(10 + i); }
  /// 0 when every service was created.
  DWORD Error() const { return error_; }

 private:
  void Remove() {
    ScopedServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    for (int i = 0; scm && i < kMostServices; ++i) {
      ScopedServiceHandle service(OpenServiceA(scm.get(), Name(i).c_str(), DELETE));
      if (service) DeleteService(service.get());
    }
  }

  static constexpr int kMostServices = 40;
  int count_;
  DWORD error_ = 0;
};

TEST(WineServices, ConfigurationAndRegistryValuesOfCreatedServices) {
  TestServices created(2, 0);
  ASSERT_EQ(created.Error(), 0u);
  CSCMServiceMan man;
  CollectAndCompare(man);
  if (HasFatalFailure()) return;
  ASSERT_GT(man.m_nCount, 0u) << "the services no longer fit one batch of this manager";
  int found = 0;
  for (const CSCMService* s = man.m_pFirst; s != nullptr; s = s->m_pNext) {
    if (s->m_strServiceName.rfind("TovTestService", 0) != 0) continue;
    SCOPED_TRACE(s->m_strServiceName);
    EXPECT_EQ(s->m_strDisplayName, s->m_strServiceName);
    EXPECT_EQ(s->m_strLoadOrderGroup, "TovGroup");
    EXPECT_EQ(s->m_strDescription, "@%SystemRoot%\\x.dll,-1");
    EXPECT_EQ(s->m_strBinaryPathName, "C:\\windows\\system32\\msiexec.exe /V");
    ASSERT_NE(s->m_pVerInfo, nullptr);
    EXPECT_EQ(s->m_pVerInfo->m_strFileName, "C:\\windows\\system32\\msiexec.exe");
    ++found;
  }
  EXPECT_EQ(found, 2);
}

TEST(WineServices, ListLongerThanOneBatch) {
  // Forty services with long display names need several batches: either the
  // manager resumes them and the inventory holds them all in its order, or
  // it cannot, and Collect ends without looping or taking an unfilled batch.
  TestServices created(40, 150);
  ASSERT_EQ(created.Error(), 0u);
  CSCMServiceMan man;
  CollectAndCompare(man);
}

}  // namespace
}  // namespace tov::test
