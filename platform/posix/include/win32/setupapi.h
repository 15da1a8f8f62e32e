/// The setup library: device information sets, their elements' install
/// parameters, class driver lists with a selected driver, the class installer
/// and file queues, answered from the machine model's device domain and its
/// driver packages. Programs reach these entry points through the
/// "SETUPAPI.DLL" library of the machine (LoadLibraryA/GetProcAddress).
///
/// The machine installs nothing: a class installer asked for
/// DIF_INSTALLDEVICEFILES queues the selected package's files into the queue
/// of the install parameters (DI_NOVCP), and a file queue is only scanned and
/// closed, never committed.
#pragma once

#include "win32/base_types.h"

typedef PVOID HDEVINFO;
typedef PVOID HSPFILEQ;
typedef UINT DI_FUNCTION;
typedef const CHAR* PCSTR;

#define LINE_LEN 256

/// One element of a device information set.
typedef struct _SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

/// Called for each file of a queue scan (SPFILENOTIFY_QUEUESCAN, Param1 = the
/// target path); a result other than 0 stops the scan.
typedef UINT(CALLBACK* PSP_FILE_CALLBACK_A)(PVOID Context, UINT Notification, UINT_PTR Param1,
                                           UINT_PTR Param2);

/// Install parameters of a set or of one element.
typedef struct _SP_DEVINSTALL_PARAMS_A {
  DWORD cbSize;
  DWORD Flags;
  DWORD FlagsEx;
  HWND hwndParent;
  PSP_FILE_CALLBACK_A InstallMsgHandler;
  PVOID InstallMsgHandlerContext;
  HSPFILEQ FileQueue;
  ULONG_PTR ClassInstallReserved;
  DWORD Reserved;
  CHAR DriverPath[MAX_PATH];
} SP_DEVINSTALL_PARAMS_A, *PSP_DEVINSTALL_PARAMS_A;

/// A driver-list entry as the version-1 structure describes it.
typedef struct _SP_DRVINFO_DATA_V1_A {
  DWORD cbSize;
  DWORD DriverType;
  ULONG_PTR Reserved;
  CHAR Description[LINE_LEN];
  CHAR MfgName[LINE_LEN];
  CHAR ProviderName[LINE_LEN];
} SP_DRVINFO_DATA_V1_A, *PSP_DRVINFO_DATA_V1_A;
// The version-2 structure adds the driver's date and version, which the
// machine model does not hold; the setup operations here take version 1.
typedef SP_DRVINFO_DATA_V1_A SP_DRVINFO_DATA_A;
typedef PSP_DRVINFO_DATA_V1_A PSP_DRVINFO_DATA_A;

// Install flags (SP_DEVINSTALL_PARAMS_A.Flags and FlagsEx).
#define DI_NOVCP 0x00000008L
#define DI_ENUMSINGLEINF 0x00010000L
#define DI_FLAGSEX_ALLOWEXCLUDEDDRVS 0x00000800L
#define DI_FLAGSEX_NO_DRVREG_MODIFY 0x00008000L

// Driver types.
#define SPDIT_NODRIVER 0x00000000
#define SPDIT_CLASSDRIVER 0x00000001
#define SPDIT_COMPATDRIVER 0x00000002

// Class installer functions.
#define DIF_INSTALLDEVICEFILES 0x00000015

// File queue scans.
#define SPQ_SCAN_USE_CALLBACK 0x00000004
#define SPFILENOTIFY_QUEUESCAN 0x00000007

// Errors of the setup library.
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_INVALID_USER_BUFFER 1784L
#define ERROR_NO_DRIVER_SELECTED ((DWORD)0xE0000203L)
#define ERROR_NO_SUCH_DEVINST ((DWORD)0xE000020BL)

/// A new, empty device information set (ClassGuid and hwndParent are not used
/// by the machine). Released with SetupDiDestroyDeviceInfoList.
HDEVINFO SetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent);

/// Adds the device `DeviceInstanceId` (any letter case) to the set and fills
/// *DeviceInfoData, whose cbSize must be sizeof(SP_DEVINFO_DATA).
/// FALSE and ERROR_NO_SUCH_DEVINST for an unknown device.
BOOL SetupDiOpenDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND hwndParent,
                            DWORD OpenFlags, PSP_DEVINFO_DATA DeviceInfoData);

/// Sets an element's install parameters (the element is required here; the
/// set's own parameters are not modelled). DI_NOVCP needs a file queue opened
/// with SetupOpenFileQueue in FileQueue (FALSE and ERROR_INVALID_FLAGS otherwise).
BOOL SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_A DeviceInstallParams);

/// Builds an element's class driver list: with DI_ENUMSINGLEINF the drivers
/// of the INF named in DriverPath, else every package of the machine; packages
/// excluded from selection only with DI_FLAGSEX_ALLOWEXCLUDEDDRVS.
BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                DWORD DriverType);

/// Selects the entry of the element's driver list whose type, description,
/// manufacturer and provider match (letter case ignored); FALSE and
/// ERROR_INVALID_PARAMETER when none does.
BOOL SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                               PSP_DRVINFO_DATA_A DriverInfoData);

/// A new, empty file queue. Released with SetupCloseFileQueue.
HSPFILEQ SetupOpenFileQueue(void);

/// Runs the class installer. Only DIF_INSTALLDEVICEFILES is known (others:
/// FALSE, ERROR_INVALID_FUNCTION): it needs a selected driver
/// (ERROR_NO_DRIVER_SELECTED) and DI_NOVCP, and queues that driver's files
/// into the element's file queue. Without DI_NOVCP it would install the files
/// itself, which the machine does not do: FALSE and ERROR_ACCESS_DENIED. A
/// driver whose installer refuses gives FALSE and ERROR_INVALID_FUNCTION.
BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                               PSP_DEVINFO_DATA DeviceInfoData);

/// With SPQ_SCAN_USE_CALLBACK, calls `CallbackRoutine` once per queued file
/// in queue order; a callback result other than 0 ends the scan with FALSE and
/// that result as the last error. *Result is set to 0.
BOOL SetupScanFileQueueA(HSPFILEQ FileQueue, DWORD Flags, HWND Window,
                         PSP_FILE_CALLBACK_A CallbackRoutine, PVOID CallbackContext,
                         PDWORD Result);

BOOL SetupCloseFileQueue(HSPFILEQ QueueHandle);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
