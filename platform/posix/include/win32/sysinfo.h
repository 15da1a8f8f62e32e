/// The processor, memory and operating-system facts of the installed machine:
/// GetSystemInfo, GetVersionExA and GetVersion.
#pragma once

#include "win32/base_types.h"

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARCHITECTURE_IA64 6
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xFFFF

#define PROCESSOR_INTEL_386 386
#define PROCESSOR_INTEL_486 486
#define PROCESSOR_INTEL_PENTIUM 586
#define PROCESSOR_AMD_X8664 8664

/// The processor and memory description, in the layout of the 32-bit platform
/// (36 bytes): the two application addresses and the processor mask are
/// 32-bit values here, as they are in the 32-bit program whose records the
/// report keeps.
typedef struct _SYSTEM_INFO {
  union {
    DWORD dwOemId;
    struct {
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  DWORD lpMinimumApplicationAddress;
  DWORD lpMaximumApplicationAddress;
  DWORD dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
} SYSTEM_INFO, *LPSYSTEM_INFO;
static_assert(sizeof(SYSTEM_INFO) == 36, "the 32-bit platform's layout");

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

#define VER_NT_WORKSTATION 1
#define VER_NT_DOMAIN_CONTROLLER 2
#define VER_NT_SERVER 3

/// The operating-system version; dwOSVersionInfoSize says which of the two
/// structures the caller passes (148 or 156 bytes).
typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

/// OSVERSIONINFOA with the service pack numbers, suite mask and product type.
typedef struct _OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
} OSVERSIONINFOEXA, *POSVERSIONINFOEXA, *LPOSVERSIONINFOEXA;
static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOEXA) == 156,
              "the platform's structure sizes");

/// Fills *lpSystemInfo from the machine (all zero when none is installed).
void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);

/// Fills the structure whose size dwOSVersionInfoSize gives, when the machine
/// accepts that size (machines differ in which of 148 and 156 they accept).
/// FALSE with ERROR_INSUFFICIENT_BUFFER for a size it refuses.
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

/// The version word: major version in the low byte, minor version in the
/// next, build number in bits 16 to 30, and bit 31 set on a platform other
/// than VER_PLATFORM_WIN32_NT.
DWORD GetVersion(void);
