// The "services" section and a file's "version" in machine fixtures: a good
// fixture gives the inventory a built machine would; bad ones name the fault.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/fixture_loader.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/services/record_support.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::test::FindService;
using tov::machine::ParseMachineFixture;
using tov::machine::ScopedMachine;

constexpr const char* kFixture = R"json({
  "environment": { "SystemRoot": "C:\\WINDOWS" },
  "services": {
    "disk": { "displayName": "Disk Driver", "type": "KERNEL_DRIVER", "state": "RUNNING",
              "startType": "BOOT_START", "errorControl": "NORMAL", "group": "SCSI Class",
              "tag": 2, "dependencies": ["+SCSI miniport"],
              "imagePath": "system32\\DRIVERS\\disk.sys" },
    "Browser": { "type": 32, "state": 4, "controlsAccepted": 1, "startType": 2,
                 "imagePath": "%SystemRoot%\\system32\\svchost.exe -k netsvcs",
                 "serviceDll": "%SystemRoot%\\System32\\browser.dll",
                 "description": "@%SystemRoot%\\System32\\browser.dll,-101",
                 "startName": "LocalSystem" },
    "Locked": { "binaryPath": "C:\\locked.exe", "denyAccess": true }
  },
  "files": {
    "C:\\WINDOWS\\system32\\DRIVERS\\disk.sys": {
      "version": { "fileVersion": "5.1.2600.0", "translations": ["040704e4"],
                   "strings": { "040704e4": { "FileVersion": "5.1.2600.0 (xpsp)",
                                              "LegalCopyright": "\u00a9 Example" } } } },
    "C:\\WINDOWS\\System32\\browser.dll": { "version": { "hex": "00 00" } }
  }
})json";

TEST(ServiceFixture, FillsTheInventoryAsABuiltMachineWould) {
  Machine m;
  std::string error;
  ASSERT_TRUE(ParseMachineFixture(kFixture, "services.json", m, &error)) << error;
  CSCMServiceMan man;
  {
    ScopedMachine use(m);
    man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  }
  ASSERT_EQ(man.m_nCount, 3u);
  EXPECT_EQ(man.m_pFirst->m_strServiceName, "disk");  // the fixture's order
  EXPECT_EQ(man.m_pLast->m_strServiceName, "Locked");

  const CSCMService* disk = FindService(man, "disk");
  EXPECT_EQ(disk->m_strDisplayName, "Disk Driver");
  EXPECT_EQ(disk->m_status.dwServiceType, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
  EXPECT_EQ(disk->m_status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(disk->m_dwStartType, static_cast<DWORD>(SERVICE_BOOT_START));
  EXPECT_EQ(disk->m_strLoadOrderGroup, "SCSI Class");
  EXPECT_EQ(disk->m_dwTagId, 2u);
  EXPECT_EQ(disk->m_strDependencies, "+SCSI miniport");
  ASSERT_NE(disk->m_pVerInfo, nullptr);
  EXPECT_EQ(disk->m_pVerInfo->m_strFileVersion, "5.1.2600.0 (xpsp)");
  EXPECT_EQ(disk->m_pVerInfo->m_strLegalCopyright, "\xA9 Example");

  const CSCMService* browser = FindService(man, "Browser");
  EXPECT_EQ(browser->m_status.dwControlsAccepted, 1u);
  EXPECT_EQ(browser->m_strServiceDll, "%SystemRoot%\\System32\\browser.dll");
  EXPECT_EQ(browser->m_strDescription, "@%SystemRoot%\\System32\\browser.dll,-101");
  EXPECT_EQ(browser->m_strServiceStartName, "LocalSystem");
  EXPECT_EQ(browser->m_pVerInfo, nullptr);  // its version block is damaged

  const CSCMService* locked = FindService(man, "Locked");
  EXPECT_EQ(locked->m_strBinaryPathName, "");  // not opened, and no registry key
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(ServiceFixture, BadSectionsNameTheirFault) {
  struct Case {
    const char* fixture;
    const char* error;
  };
  const Case cases[] = {
      {R"({"services": {"x": {"type": "DRIVER"}}})",
       "f.json: /services/x/type: unknown service type \"DRIVER\""},
      {R"({"services": {"x": {"imagePath": "a", "binaryPath": "b"}}})",
       "f.json: /services/x: give \"imagePath\" or \"binaryPath\", not both"},
      {R"({"services": {"x": {"started": true}}})", "f.json: /services/x/started:"},
      {R"({"files": {"a.dll": {"version": {"fileVersion": "1.2.3"}}}})",
       "f.json: /files/a.dll/version/fileVersion: expected a version \"a.b.c.d\""},
      {R"({"files": {"a.dll": {"version": {"fileVersion": "1.2.3.65536"}}}})",
       "f.json: /files/a.dll/version/fileVersion: expected a version \"a.b.c.d\" with parts"},
      {R"({"files": {"a.dll": {"version": {"translations": ["0409"]}}}})",
       "f.json: /files/a.dll/version/translations/0: expected eight hexadecimal digits"},
      {R"({"files": {"a.dll": {"version": {"hex": "00", "strings": {}}}}})",
       "f.json: /files/a.dll/version/strings:"},
  };
  for (const Case& c : cases) {
    Machine m;
    std::string error;
    EXPECT_FALSE(ParseMachineFixture(c.fixture, "f.json", m, &error)) << c.fixture;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error;
  }
}

}  // namespace
