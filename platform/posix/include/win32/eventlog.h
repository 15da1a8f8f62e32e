/// Reading an event log of the machine model: open a log by name, read its
/// records backwards in whole records, close it. Nothing writes to a log.
#pragma once

#include "win32/base_types.h"

#define EVENTLOG_SEQUENTIAL_READ 0x0001
#define EVENTLOG_SEEK_READ 0x0002
#define EVENTLOG_FORWARDS_READ 0x0004
#define EVENTLOG_BACKWARDS_READ 0x0008

// EventType values.
#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004
#define EVENTLOG_AUDIT_SUCCESS 0x0008
#define EVENTLOG_AUDIT_FAILURE 0x0010

/// The fixed 56-byte head of a record as ReadEventLogA returns it. It is
/// followed by the source name and the computer name (NUL-terminated), then,
/// at the offsets given here, the user's security identifier, the insertion
/// strings and the binary data; the record ends with a copy of Length.
typedef struct _EVENTLOGRECORD {
  DWORD Length;
  DWORD Reserved;
  DWORD RecordNumber;
  DWORD TimeGenerated;
  DWORD TimeWritten;
  DWORD EventID;
  WORD EventType;
  WORD NumStrings;
  WORD EventCategory;
  WORD ReservedFlags;
  DWORD ClosingRecordNumber;
  DWORD StringOffset;
  DWORD UserSidLength;
  DWORD UserSidOffset;
  DWORD DataLength;
  DWORD DataOffset;
} EVENTLOGRECORD, *PEVENTLOGRECORD;

/// Opens the log called `lpSourceName` (any letter case) of the local
/// computer; `lpUNCServerName` must be null. Null with ERROR_FILE_NOT_FOUND
/// when the machine has no such log, ERROR_ACCESS_DENIED when it is one the
/// machine refuses to open.
HANDLE OpenEventLogA(LPCSTR lpUNCServerName, LPCSTR lpSourceName);

/// Reads records from the position of the handle, which starts at the newest
/// record; only EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ is known
/// (ERROR_INVALID_PARAMETER otherwise). Fills the buffer with as many whole
/// records as fit, newest first, and moves the position past them. FALSE with
/// ERROR_INSUFFICIENT_BUFFER and the size of the next record in
/// *pnMinNumberOfBytesNeeded when that record does not fit (the position stays);
/// FALSE with ERROR_HANDLE_EOF when no record is left.
BOOL ReadEventLogA(HANDLE hEventLog, DWORD dwReadFlags, DWORD dwRecordOffset, LPVOID lpBuffer,
                   DWORD nNumberOfBytesToRead, DWORD* pnBytesRead,
                   DWORD* pnMinNumberOfBytesNeeded);

/// Releases a handle from OpenEventLogA.
BOOL CloseEventLog(HANDLE hEventLog);
