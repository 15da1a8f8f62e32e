// Rendering an event's texts from the message files its source registers.
// Nothing is cached: every lookup opens the source key, loads each listed
// file and releases both before it returns.
#include <optional>
#include <string>
#include <vector>

#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "eventlog/event_record.h"
#include "eventlog/message_text.h"
#include "eventlog/platform_owners.h"

using tov::eventlog::FallbackDescription;
using tov::eventlog::FindParameterReference;
using tov::eventlog::LocalText;
using tov::eventlog::ParameterReference;
using tov::eventlog::RecordHead;
using tov::eventlog::RecordSourceName;
using tov::eventlog::RecordStrings;
using tov::eventlog::RecordUserSid;
using tov::eventlog::ScopedKey;
using tov::eventlog::ScopedModule;
using tov::eventlog::SplitFileList;
using tov::eventlog::TrimTrailingWhitespace;

namespace {

constexpr DWORD kPathSize = 260;
constexpr DWORD kValueSize = 260;
constexpr const char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// The message-file list in value `pszValueName` of `hKey`, with environment
// references expanded; false when it is missing, empty, or does not fit.
bool ReadFileList(HKEY hKey, const char* pszValueName, std::string& strList) {
  char szRaw[kValueSize + 1];
  DWORD cbRaw = kValueSize;
  if (RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(szRaw),
                       &cbRaw) != ERROR_SUCCESS) {
    return false;
  }
  szRaw[cbRaw] = '\0';  // a text stored without its NUL still ends here
  char szExpanded[kValueSize];
  DWORD nExpanded = ExpandEnvironmentStringsA(szRaw, szExpanded, kValueSize);
  // An expansion longer than the buffer is not in it: there is no list.
  if (nExpanded == 0 || nExpanded > kValueSize || szExpanded[0] == '\0') return false;
  strList = szExpanded;
  return true;
}

}  // namespace

HKEY CElEvent::OpenSourceKey() const {
  if (m_pLog == nullptr || !HasRecordHead()) return nullptr;
  std::optional<std::string_view> source = RecordSourceName(m_pRecord);
  if (!source) return nullptr;
  std::string strPath = kEventLogKey + m_pLog->m_strLogName + "\\" + std::string(*source);
  if (strPath.size() >= kPathSize) return nullptr;
  HKEY hKey = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
    return nullptr;
  }
  return hKey;
}

BOOL CElEvent::LoadMessageText(const DWORD_PTR* pInserts, DWORD dwMessageId,
                               const char* pszValueName, std::string& strText) const {
  std::string strList;
  {
    ScopedKey key(OpenSourceKey());
    if (!key || !ReadFileList(key.get(), pszValueName, strList)) return FALSE;
  }
  constexpr DWORD kFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY;
  // With FORMAT_MESSAGE_ARGUMENT_ARRAY the "va_list" is the insert array itself.
  va_list* pArguments = reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(pInserts));
  for (const std::string& strFile : SplitFileList(strList)) {
    ScopedModule module(LoadLibraryExA(strFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) continue;
    char* pBuffer = nullptr;
    DWORD nChars = FormatMessageA(kFlags, module.get(), dwMessageId, 0,
                                  reinterpret_cast<LPSTR>(&pBuffer), 0, pArguments);
    LocalText buffer(pBuffer);
    if (nChars != 0 && pBuffer != nullptr) {
      strText = pBuffer;
      TrimTrailingWhitespace(strText);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CElEvent::FormatDescription() {
  if (!HasRecordHead()) return FALSE;
  const EVENTLOGRECORD head = RecordHead(m_pRecord);
  DWORD_PTR aInserts[kMaxInserts] = {};
  std::vector<const char*> inserts = RecordStrings(m_pRecord, kMaxInserts);
  for (size_t i = 0; i < inserts.size(); ++i) aInserts[i] = reinterpret_cast<DWORD_PTR>(inserts[i]);

  if (LoadMessageText(aInserts, head.EventID, "EventMessageFile", m_strMessage)) {
    ExpandParameters(m_strMessage);
    return TRUE;
  }
  std::optional<std::string_view> source = RecordSourceName(m_pRecord);
  m_strMessage = FallbackDescription(LOWORD(head.EventID), source ? *source : "Unknown",
                                     RecordStrings(m_pRecord, head.NumStrings));
  return FALSE;
}

BOOL CElEvent::ExpandParameters(std::string& strText) const {
  for (int nReplaced = 0;; ++nReplaced) {
    std::optional<ParameterReference> ref = FindParameterReference(strText);
    if (!ref) return TRUE;
    if (ref->number == 0 || nReplaced == kMaxParameterReplacements) return FALSE;
    std::string strParameter;
    if (!LoadMessageText(nullptr, ref->number, "ParameterMessageFile", strParameter)) return FALSE;
    strText.replace(ref->position, ref->length, strParameter);
  }
}

BOOL CElEvent::LookupUser() {
  if (!HasRecordHead()) return TRUE;
  const BYTE* pSid = RecordUserSid(m_pRecord);
  if (pSid == nullptr) return TRUE;
  char szName[kPathSize];
  char szDomain[kPathSize];
  DWORD cchName = kPathSize;
  DWORD cchDomain = kPathSize;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, const_cast<BYTE*>(pSid), szName, &cchName, szDomain, &cchDomain,
                         &use)) {
    return FALSE;
  }
  m_strUser = std::string(szDomain) + "\\" + szName;
  return TRUE;
}
