// Processor and operating-system facts of the installed machine.
#include "win32/sysinfo.h"

#include <cstring>

#include "platform/posix/src/machine_access.h"
#include "win32/strings.h"

void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  std::memset(lpSystemInfo, 0, sizeof(*lpSystemInfo));
  tov::machine::Machine* m = tov::posix::MachineFor("GetSystemInfo");
  if (m == nullptr) return;
  const tov::machine::ProcessorFacts& p = m->System().Processor();
  lpSystemInfo->wProcessorArchitecture = p.architecture;
  lpSystemInfo->dwPageSize = p.page_size;
  lpSystemInfo->lpMinimumApplicationAddress = p.min_application_address;
  lpSystemInfo->lpMaximumApplicationAddress = p.max_application_address;
  lpSystemInfo->dwActiveProcessorMask = p.active_processor_mask;
  lpSystemInfo->dwNumberOfProcessors = p.processors;
  lpSystemInfo->dwProcessorType = p.processor_type;
  lpSystemInfo->dwAllocationGranularity = p.allocation_granularity;
  lpSystemInfo->wProcessorLevel = p.level;
  lpSystemInfo->wProcessorRevision = p.revision;
}

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  tov::machine::Machine* m = tov::posix::MachineFor("GetVersionExA");
  if (m == nullptr) return FALSE;
  if (lpVersionInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const tov::machine::VersionFacts& v = m->System().Version();
  DWORD dwSize = lpVersionInformation->dwOSVersionInfoSize;
  bool bExtended = dwSize == sizeof(OSVERSIONINFOEXA) && v.accepts_extended;
  if (!bExtended && !(dwSize == sizeof(OSVERSIONINFOA) && v.accepts_plain)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = dwSize;
  info.dwMajorVersion = v.major;
  info.dwMinorVersion = v.minor;
  info.dwBuildNumber = v.build;
  info.dwPlatformId = v.platform_id;
  v.csd_version.copy(info.szCSDVersion, sizeof(info.szCSDVersion) - 1);
  info.wServicePackMajor = v.service_pack_major;
  info.wServicePackMinor = v.service_pack_minor;
  info.wSuiteMask = v.suite_mask;
  info.wProductType = v.product_type;
  // Only the bytes of the structure the caller announced are written.
  std::memcpy(lpVersionInformation, &info, dwSize);
  return TRUE;
}

DWORD GetVersion(void) {
  tov::machine::Machine* m = tov::posix::MachineFor("GetVersion");
  return m == nullptr ? 0 : m->System().VersionWord();
}
