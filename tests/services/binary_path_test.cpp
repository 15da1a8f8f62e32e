// CSCMService::GetBinaryPath: which text names a service's file, and how it
// becomes a path, with the Windows directory and environment of a machine.
#include <gtest/gtest.h>

#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "services/scm_service.h"
#include "win32_api.h"

namespace {

using tov::machine::Machine;
using tov::machine::ScopedMachine;

struct Case {
  const char* what;
  DWORD type;
  const char* binary_path;
  const char* service_dll;
  const char* expected;  // null: no path
};

TEST(GetBinaryPath, EveryRule) {
  const Case cases[] = {
      {"\\SystemRoot", SERVICE_KERNEL_DRIVER, "\\SystemRoot\\System32\\drivers\\acpi.sys", "",
       "C:\\WINNT\\System32\\drivers\\acpi.sys"},
      {"System32\\ in any case", SERVICE_KERNEL_DRIVER, "system32\\DRIVERS\\disk.sys", "",
       "C:\\WINNT\\system32\\DRIVERS\\disk.sys"},
      {"file system driver", SERVICE_FILE_SYSTEM_DRIVER, "SYSTEM32\\Drivers\\Ntfs.sys", "",
       "C:\\WINNT\\SYSTEM32\\Drivers\\Ntfs.sys"},
      {"\\??\\", SERVICE_KERNEL_DRIVER, "\\??\\C:\\Tools\\filter.sys", "", "C:\\Tools\\filter.sys"},
      {"driver without image path", SERVICE_KERNEL_DRIVER, "", "",
       "C:\\WINNT\\System32\\Drivers\\svc.sys"},
      {"driver paths are not expanded", SERVICE_KERNEL_DRIVER, "%SystemRoot%\\x.sys", "",
       "%SystemRoot%\\x.sys"},
      {"recognizer is no driver here", SERVICE_RECOGNIZER_DRIVER, "\\SystemRoot\\x.sys", "",
       "\\SystemRoot\\x.sys"},
      {"Win32 service without path", SERVICE_WIN32_OWN_PROCESS, "", "", nullptr},
      {"service DLL first, expanded", SERVICE_WIN32_SHARE_PROCESS,
       "%SystemRoot%\\system32\\svchost.exe -k group", "%SystemRoot%\\System32\\x.dll",
       "C:\\WINNT\\System32\\x.dll"},
      {"quoted with arguments", SERVICE_WIN32_OWN_PROCESS,
       "\"C:\\Program Files\\App\\app.exe\" -service", "", "C:\\Program Files\\App\\app.exe"},
      {"unquoted with a blank", SERVICE_WIN32_OWN_PROCESS, "C:\\Program Files\\App\\app.exe", "",
       "C:\\Program"},
      {"leading blank", SERVICE_WIN32_OWN_PROCESS, " C:\\App\\app.exe -x", "",
       " C:\\App\\app.exe -x"},
      {"expansion too long for the buffer", SERVICE_WIN32_OWN_PROCESS, "%Long%\\app.exe", "",
       "%Long%\\app.exe"},
      {"type of the configuration, not of the status", 0, "\\SystemRoot\\x.sys", "",
       "\\SystemRoot\\x.sys"},
  };
  Machine m;
  m.WindowsDirectory("C:\\WINNT").Env("SystemRoot", "C:\\WINNT").Env("Long", std::string(300, 'L'));
  ScopedMachine use(m);
  for (const Case& c : cases) {
    CSCMService service;
    service.m_strServiceName = "svc";
    service.m_dwServiceType = c.type;
    service.m_status.dwServiceType = SERVICE_KERNEL_DRIVER;
    service.m_strBinaryPathName = c.binary_path;
    service.m_strServiceDll = c.service_dll;
    std::string path = "left over";
    BOOL found = service.GetBinaryPath(path);
    EXPECT_EQ(found, c.expected != nullptr) << c.what;
    EXPECT_EQ(path, c.expected != nullptr ? c.expected : "") << c.what;
  }
}

}  // namespace
