/// CElEvent: one captured event log record (a private copy of its bytes)
/// with its rendered description, category and user, and its archive record.
/// Events form a chain through m_pNext, each owning the rest of the chain.
#pragma once

#include <string>

#include "report/archive.h"
#include "report/object.h"
#include "win32_api.h"

class CElEventLog;

class CElEvent : public CObject {
  DECLARE_SERIAL(CElEvent)

 public:
  /// Insertion strings passed to a message at most.
  static constexpr size_t kMaxInserts = 100;
  /// Parameter references replaced in one description at most; a parameter
  /// text may refer to itself, and each replacement loads message files.
  static constexpr int kMaxParameterReplacements = 64;

  CElEvent() = default;
  /// Frees the record copy and deletes the rest of the chain (iteratively,
  /// since a loaded chain may be long).
  ~CElEvent() override;
  CElEvent(const CElEvent&) = delete;
  CElEvent& operator=(const CElEvent&) = delete;

  /// The record's bytes, the three texts, then the next event as the record's
  /// last field. A loaded record may be shorter than a record head.
  void Serialize(CArchive& ar) override;

  /// Copies the record (a whole record of at least 56 bytes; anything
  /// shorter is refused) and renders its texts. TRUE when the copy was made.
  BOOL Init(CElEventLog* pLog, const BYTE* pRecord);

  /// The registry key of the record's source below its log's key, opened for
  /// reading, or null (no log, no source name, a path of 260 characters or
  /// more, no such key). The caller closes it.
  HKEY OpenSourceKey() const;
  /// Message dwMessageId from the first file of the source's list in value
  /// pszValueName that holds it, with inserts from pInserts (kMaxInserts
  /// entries, or null), trailing white space removed, into strText. FALSE, with
  /// strText unchanged, when no file yields it.
  BOOL LoadMessageText(const DWORD_PTR* pInserts, DWORD dwMessageId, const char* pszValueName,
                       std::string& strText) const;
  /// Renders m_strMessage from the source's message files, or the fallback
  /// text; TRUE when a message file gave it.
  BOOL FormatDescription();
  /// Replaces "%%<number>" references in strText by parameter texts; TRUE
  /// when none is left, FALSE when one stays (unknown, not a number, or the
  /// replacement bound reached).
  BOOL ExpandParameters(std::string& strText) const;
  /// Sets m_strUser to "domain\name" of the record's user; FALSE only when
  /// the account lookup failed.
  BOOL LookupUser();

  CElEventLog* m_pLog = nullptr;  // not owned, not stored
  BOOL m_bOwnsRecord = FALSE;
  CElEvent* m_pNext = nullptr;  // owned
  BYTE* m_pRecord = nullptr;    // Length bytes, owned when m_bOwnsRecord
  std::string m_strMessage;
  std::string m_strCategory;
  std::string m_strUser;

 private:
  void FreeRecord();
  /// True when m_pRecord holds at least a whole record head (a loaded record
  /// may not).
  bool HasRecordHead() const;
};
