/// Message texts from the message table of a data module (a file of the
/// machine model loaded with LoadLibraryExA and LOAD_LIBRARY_AS_DATAFILE),
/// with their inserts filled in, in a buffer the caller frees with LocalFree.
#pragma once

#include <cstdarg>

#include "win32/base_types.h"

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

/// Formats message `dwMessageId` of the module `lpSource`, in any language
/// when `dwLanguageId` is 0. Known flags: FORMAT_MESSAGE_FROM_HMODULE (needed),
/// FORMAT_MESSAGE_ARGUMENT_ARRAY (needed when the text has inserts: Arguments
/// then points to an array of DWORD_PTR, one per insert number) and
/// FORMAT_MESSAGE_ALLOCATE_BUFFER (lpBuffer then points to an LPSTR that
/// receives a buffer of at least nSize bytes; else lpBuffer has nSize bytes);
/// anything else gives ERROR_INVALID_PARAMETER. The low byte (line width) must
/// be 0: line breaks of the text are kept.
///
/// Insert syntax: %1 to %99 insert an array entry, as a text unless a format
/// in exclamation marks follows (%1!u!, %2!-8s!, %3!08X!: flags, width,
/// precision, an optional l, and one of s c d i u x X o); %0 ends the text
/// there; %% gives %, %n a line break (CR LF), %r CR, %t a tab, %b and "% " a
/// blank, %. a period, %! an exclamation mark; % before any other character
/// gives that character. A null text entry is written "(null)".
///
/// Returns the number of characters stored without the NUL; 0 on failure:
/// ERROR_INVALID_HANDLE (not a data module), ERROR_RESOURCE_TYPE_NOT_FOUND (a
/// file without a message table), ERROR_MR_MID_NOT_FOUND (no such message),
/// ERROR_INVALID_PARAMETER (unknown flags, a malformed insert format, inserts
/// without an argument array), ERROR_INSUFFICIENT_BUFFER (caller's buffer too small).
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     LPSTR lpBuffer, DWORD nSize, va_list* Arguments);

/// Frees a buffer that FormatMessageA allocated; null on success (also for a
/// null argument).
HLOCAL LocalFree(HLOCAL hMem);
