/// The pieces of a driver file list: the queue-scan callback that gathers
/// target paths into a fixed buffer, and the merge of those paths after the
/// service image path. A list holds full paths separated by single line
/// feeds, none after the last, NUL-terminated.
#pragma once

#include <cstddef>
#include <string_view>

#include "win32_api.h"

/// What DriverFileScanCallback appends to: the output buffer, its capacity in
/// bytes, and how many paths it holds so far.
struct DriverFileScanContext {
  char* pszOut;
  size_t cbOut;
  DWORD nCount;
};

/// Appends the queued file's target path (Param1) to the context's list; a
/// path that does not fit is skipped so a later, shorter one may still fit.
/// Always 0, so the scan goes on.
UINT CALLBACK DriverFileScanCallback(PVOID Context, UINT Notification, UINT_PTR Param1,
                                     UINT_PTR Param2);

/// Position of the first occurrence of `pattern` in `text`, with ASCII
/// letters compared without regard to case; npos when there is none. An
/// empty text has no occurrence; an empty pattern is found at 0 otherwise.
size_t FindNoCase(std::string_view text, std::string_view pattern);

/// Appends the line-separated paths of `pszFiles` to the list in `pszList`
/// (`cbList` bytes): empty lines are passed over, a path already found in the
/// list (in any case, also inside a longer path) is skipped, and the first
/// path that does not fit ends the merge.
void MergeDriverFiles(char* pszList, size_t cbList, const char* pszFiles);
