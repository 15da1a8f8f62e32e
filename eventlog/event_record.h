/// Bounded reads of one event log record (an EVENTLOGRECORD as the platform
/// returns it): the fixed head, the source name, the insertion strings and the
/// user's security identifier. Every function stays inside the record's
/// `Length` bytes, so a damaged record gives missing parts, never a read
/// beyond its end.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "win32_api.h"

namespace tov::eventlog {

/// Size of the fixed head; a record shorter than this is damaged.
inline constexpr DWORD kRecordHeadSize = 56;
static_assert(sizeof(EVENTLOGRECORD) == kRecordHeadSize, "the record head has the same layout everywhere");

/// A copy of the head of the record at `record` (at least kRecordHeadSize
/// bytes; records in a read buffer need not be aligned).
EVENTLOGRECORD RecordHead(const BYTE* record);

/// The source name: the text at offset 56, when the record is longer than 56
/// bytes and the text ends inside the record.
std::optional<std::string_view> RecordSourceName(const BYTE* record);

/// Pointers to the first insertion strings, at most `limit` of them: string i
/// follows string i - 1 and its NUL, counted from StringOffset, for i below
/// NumStrings. The list ends before the first string that does not start, or
/// does not end, inside the record. The texts stay in the record.
std::vector<const char*> RecordStrings(const BYTE* record, size_t limit);

/// The user's security identifier, when the record has one (offset and length
/// not 0) and it lies wholly inside the record: its stated length inside
/// `Length`, and its own size (8 bytes and 4 per subauthority) inside the
/// stated length. Null otherwise.
const BYTE* RecordUserSid(const BYTE* record);

}  // namespace tov::eventlog
