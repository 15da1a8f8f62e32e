// Exception messages come from the string table, so the archive's messages and
// the resource script cannot drift apart.
#include "report/exceptions.h"

#include "resources/string_table.h"

namespace {

std::string FormatWithName(unsigned stringId, const std::string& name) {
  std::string text = tov::StringTableText(stringId);
  for (size_t pos = text.find("%1"); pos != std::string::npos; pos = text.find("%1", pos)) {
    text.replace(pos, 2, name);
    pos += name.size();
  }
  return text;
}

}  // namespace

const char* CException::what() const noexcept {
  try {
    m_strWhat = GetErrorMessage();
  } catch (...) {
    return "exception";
  }
  return m_strWhat.c_str();
}

CArchiveException::CArchiveException(int cause, std::string strFileName)
    : m_cause(cause), m_strFileName(std::move(strFileName)) {}

std::string CArchiveException::GetErrorMessage() const {
  // A cause outside the table has no text of its own; it is an unknown error.
  int cause = (m_cause >= none && m_cause <= badSchema) ? m_cause : genericException;
  return FormatWithName(AFX_IDP_ARCH_NONE + static_cast<unsigned>(cause), m_strFileName);
}

CFileException::CFileException(LONG lOsError, std::string strFileName)
    : m_lOsError(lOsError), m_strFileName(std::move(strFileName)) {}

std::string CFileException::GetErrorMessage() const {
  return FormatWithName(AFX_IDP_ARCH_GENERIC, m_strFileName);
}

void ThrowArchiveException(int cause) { throw CArchiveException(cause); }
