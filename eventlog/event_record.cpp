#include "eventlog/event_record.h"

#include <cstring>

namespace tov::eventlog {

namespace {

constexpr DWORD kSidHeadSize = 8;

// Length of the NUL-terminated text at `offset`, when its NUL lies before `end`.
std::optional<size_t> TextLength(const BYTE* record, DWORD offset, DWORD end) {
  if (offset >= end) return std::nullopt;
  const void* nul = std::memchr(record + offset, 0, end - offset);
  if (nul == nullptr) return std::nullopt;
  return static_cast<size_t>(static_cast<const BYTE*>(nul) - (record + offset));
}

}  // namespace

EVENTLOGRECORD RecordHead(const BYTE* record) {
  EVENTLOGRECORD head;
  std::memcpy(&head, record, sizeof head);
  return head;
}

std::optional<std::string_view> RecordSourceName(const BYTE* record) {
  const EVENTLOGRECORD head = RecordHead(record);
  if (head.Length <= kRecordHeadSize) return std::nullopt;
  std::optional<size_t> length = TextLength(record, kRecordHeadSize, head.Length);
  if (!length) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(record + kRecordHeadSize), *length);
}

std::vector<const char*> RecordStrings(const BYTE* record, size_t limit) {
  const EVENTLOGRECORD head = RecordHead(record);
  std::vector<const char*> strings;
  DWORD offset = head.StringOffset;
  for (size_t i = 0; i < head.NumStrings && i < limit; ++i) {
    std::optional<size_t> length = TextLength(record, offset, head.Length);
    if (!length) break;
    strings.push_back(reinterpret_cast<const char*>(record + offset));
    offset += static_cast<DWORD>(*length + 1);  // stays within Length, so no wrap
  }
  return strings;
}

const BYTE* RecordUserSid(const BYTE* record) {
  const EVENTLOGRECORD head = RecordHead(record);
  if (head.UserSidOffset == 0 || head.UserSidLength == 0) return nullptr;
  // In 64 bits: a huge offset must not wrap around to a small sum.
  if (ULONGLONG{head.UserSidOffset} + head.UserSidLength > head.Length) return nullptr;
  if (head.UserSidLength < kSidHeadSize) return nullptr;
  const BYTE* sid = record + head.UserSidOffset;
  if (kSidHeadSize + 4 * DWORD{sid[1]} > head.UserSidLength) return nullptr;
  return sid;
}

}  // namespace tov::eventlog
