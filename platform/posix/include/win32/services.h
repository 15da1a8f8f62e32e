/// The Service Control Manager, read only: open the manager, list its services
/// in batches, open one service and read its configuration, close handles.
/// Services and their configurations are the machine model's.
#pragma once

#include "win32/base_types.h"

TOV_DECLARE_HANDLE(SC_HANDLE);

#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000L
#endif
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123L
#endif
#define ERROR_SERVICE_DOES_NOT_EXIST 1060L
#define ERROR_DATABASE_DOES_NOT_EXIST 1065L
#define ERROR_SERVICE_SPECIFIC_ERROR 1066L
#define RPC_S_SERVER_UNAVAILABLE 1722L

// Service types: drivers, Win32 services, and the masks that select them.
#define SERVICE_KERNEL_DRIVER 0x00000001
#define SERVICE_FILE_SYSTEM_DRIVER 0x00000002
#define SERVICE_ADAPTER 0x00000004
#define SERVICE_RECOGNIZER_DRIVER 0x00000008
#define SERVICE_DRIVER 0x0000000B
#define SERVICE_WIN32_OWN_PROCESS 0x00000010
#define SERVICE_WIN32_SHARE_PROCESS 0x00000020
#define SERVICE_WIN32 0x00000030

// Which services an enumeration lists, by state.
#define SERVICE_ACTIVE 0x00000001
#define SERVICE_INACTIVE 0x00000002
#define SERVICE_STATE_ALL 0x00000003

// Current states.
#define SERVICE_STOPPED 0x00000001
#define SERVICE_START_PENDING 0x00000002
#define SERVICE_STOP_PENDING 0x00000003
#define SERVICE_RUNNING 0x00000004
#define SERVICE_CONTINUE_PENDING 0x00000005
#define SERVICE_PAUSE_PENDING 0x00000006
#define SERVICE_PAUSED 0x00000007

// A control a running service accepts.
#define SERVICE_ACCEPT_STOP 0x00000001

// Start types.
#define SERVICE_BOOT_START 0x00000000
#define SERVICE_SYSTEM_START 0x00000001
#define SERVICE_AUTO_START 0x00000002
#define SERVICE_DEMAND_START 0x00000003
#define SERVICE_DISABLED 0x00000004

// Error control.
#define SERVICE_ERROR_IGNORE 0x00000000
#define SERVICE_ERROR_NORMAL 0x00000001
#define SERVICE_ERROR_SEVERE 0x00000002
#define SERVICE_ERROR_CRITICAL 0x00000003

#define SERVICES_ACTIVE_DATABASEA "ServicesActive"

/// A service's type, state, accepted controls, exit codes and progress hints:
/// seven 32-bit values, 28 bytes on every build.
typedef struct _SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
} SERVICE_STATUS, *LPSERVICE_STATUS;

/// One entry of an enumeration batch; both names lie in the caller's buffer.
typedef struct _ENUM_SERVICE_STATUSA {
  LPSTR lpServiceName;
  LPSTR lpDisplayName;
  SERVICE_STATUS ServiceStatus;
} ENUM_SERVICE_STATUSA, *LPENUM_SERVICE_STATUSA;

/// A service's configuration; the texts lie in the caller's buffer behind the
/// structure. lpDependencies is a list of NUL-terminated names ended by an
/// empty name; group names start with '+'.
typedef struct _QUERY_SERVICE_CONFIGA {
  DWORD dwServiceType;
  DWORD dwStartType;
  DWORD dwErrorControl;
  LPSTR lpBinaryPathName;
  LPSTR lpLoadOrderGroup;
  DWORD dwTagId;
  LPSTR lpDependencies;
  LPSTR lpServiceStartName;
  LPSTR lpDisplayName;
} QUERY_SERVICE_CONFIGA, *LPQUERY_SERVICE_CONFIGA;

/// Connects to the Service Control Manager of this computer (machine name null,
/// empty, or this computer's name) and its active database (name null or
/// "ServicesActive"). Null on failure: the machine's manager refuses access
/// (ERROR_ACCESS_DENIED), another computer (RPC_S_SERVER_UNAVAILABLE), or
/// another database (ERROR_DATABASE_DOES_NOT_EXIST).
SC_HANDLE OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess);

/// Lists the services whose type shares a bit with `dwServiceType` and whose
/// state matches `dwServiceState`, in the manager's order, starting at
/// *lpResumeHandle (0: the first). The buffer receives as many whole entries
/// as fit, entries first and their names behind them. TRUE when the last entry
/// was returned (*lpResumeHandle becomes 0); otherwise FALSE with
/// ERROR_MORE_DATA, *lpResumeHandle marking the next entry and *pcbBytesNeeded
/// the bytes the remaining entries need.
BOOL EnumServicesStatusA(SC_HANDLE hSCManager, DWORD dwServiceType, DWORD dwServiceState,
                         LPENUM_SERVICE_STATUSA lpServices, DWORD cbBufSize,
                         LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned,
                         LPDWORD lpResumeHandle);

/// Opens the service called `lpServiceName` (any letter case). Null with
/// ERROR_SERVICE_DOES_NOT_EXIST or ERROR_ACCESS_DENIED.
SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess);

/// Reads the configuration into the buffer. When `cbBufSize` is too small
/// (0 with no buffer, to learn the size): FALSE, ERROR_INSUFFICIENT_BUFFER and
/// *pcbBytesNeeded = the size needed.
BOOL QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig,
                         DWORD cbBufSize, LPDWORD pcbBytesNeeded);

/// Releases a handle from OpenSCManagerA or OpenServiceA.
BOOL CloseServiceHandle(SC_HANDLE hSCObject);
