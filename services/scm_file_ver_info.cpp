#include "services/scm_file_ver_info.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "report/archive.h"

IMPLEMENT_SERIAL(CSCMFileVerInfo, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

// Language and code page of a resource without a translation table.
constexpr WORD kDefaultLanguage = 0x0409;
constexpr WORD kDefaultCodePage = 0x04B0;

struct VersionValueName {
  std::string CSCMFileVerInfo::*pMember;
  const char* pszName;
};

// The values in the order they are queried.
constexpr VersionValueName kValueNames[] = {
    {&CSCMFileVerInfo::m_strFileVersion, "FileVersion"},
    {&CSCMFileVerInfo::m_strFileDescription, "FileDescription"},
    {&CSCMFileVerInfo::m_strLegalCopyright, "LegalCopyright"},
    {&CSCMFileVerInfo::m_strCompanyName, "CompanyName"},
    {&CSCMFileVerInfo::m_strInternalName, "InternalName"},
    {&CSCMFileVerInfo::m_strOriginalFilename, "OriginalFilename"},
    {&CSCMFileVerInfo::m_strProductName, "ProductName"},
    {&CSCMFileVerInfo::m_strProductVersion, "ProductVersion"},
    {&CSCMFileVerInfo::m_strComments, "Comments"},
    {&CSCMFileVerInfo::m_strLegalTrademarks, "LegalTrademarks"},
    {&CSCMFileVerInfo::m_strPrivateBuild, "PrivateBuild"},
    {&CSCMFileVerInfo::m_strSpecialBuild, "SpecialBuild"},
};

}  // namespace

BOOL CSCMFileVerInfo::Load(const std::string& strPath) {
  if (GetFileAttributesA(strPath.c_str()) == INVALID_FILE_ATTRIBUTES) return FALSE;
  m_strFileName = strPath;
  DWORD dwHandle = 0;
  DWORD cbData = GetFileVersionInfoSizeA(m_strFileName.c_str(), &dwHandle);
  if (cbData == 0) return FALSE;
  std::unique_ptr<BYTE[]> pData(new (std::nothrow) BYTE[cbData]);
  if (!pData) return FALSE;
  if (!GetFileVersionInfoA(m_strFileName.c_str(), 0, cbData, pData.get())) return FALSE;

  WORD wLang = kDefaultLanguage;
  WORD wCodePage = kDefaultCodePage;
  LPVOID pTranslation = nullptr;
  UINT cbTranslation = 0;
  // A table shorter than one pair holds no language: reading one from it
  // would take whatever bytes follow, so the defaults stay.
  if (VerQueryValueA(pData.get(), "\\VarFileInfo\\Translation", &pTranslation, &cbTranslation) &&
      pTranslation != nullptr && cbTranslation >= 2 * sizeof(WORD)) {
    std::memcpy(&wLang, pTranslation, sizeof(WORD));
    std::memcpy(&wCodePage, static_cast<const BYTE*>(pTranslation) + sizeof(WORD), sizeof(WORD));
  }
  for (const VersionValueName& value : kValueNames) {
    QueryVersionString(this->*value.pMember, pData.get(), value.pszName, wLang, wCodePage);
  }
  return TRUE;
}

BOOL CSCMFileVerInfo::QueryVersionString(std::string& strMember, const void* pVerData,
                                         const char* pszName, WORD wLang, WORD wCodePage) {
  char szSubBlock[MAX_PATH];
  int nLength = std::snprintf(szSubBlock, sizeof szSubBlock, "\\StringFileInfo\\%04x%04x\\%s",
                              wLang, wCodePage, pszName);
  if (nLength < 0 || nLength >= static_cast<int>(sizeof szSubBlock)) return FALSE;
  LPVOID pValue = nullptr;
  UINT cchValue = 0;
  if (!VerQueryValueA(pVerData, szSubBlock, &pValue, &cchValue) || pValue == nullptr) return FALSE;
  // The text ends at its NUL or at the length given, whichever comes first.
  const char* pszValue = static_cast<const char*>(pValue);
  strMember.assign(pszValue, strnlen(pszValue, cchValue));
  return TRUE;
}

void CSCMFileVerInfo::Serialize(CArchive& ar) {
  ar.GetObjectSchema();
  std::string* const fields[] = {
      &m_strFileName,      &m_strComments,        &m_strInternalName,     &m_strProductName,
      &m_strCompanyName,   &m_strLegalCopyright,  &m_strProductVersion,   &m_strFileDescription,
      &m_strLegalTrademarks, &m_strPrivateBuild,  &m_strFileVersion,      &m_strOriginalFilename,
      &m_strSpecialBuild};
  for (std::string* pField : fields) {
    if (ar.IsStoring()) {
      ar << *pField;
    } else {
      ar >> *pField;
    }
  }
}
