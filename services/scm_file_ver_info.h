/// The version strings of a service's image file: the file's path and the
/// twelve standard values of its version resource.
#pragma once

#include <string>

#include "report/object.h"

class CSCMFileVerInfo : public CObject {
  DECLARE_SERIAL(CSCMFileVerInfo)

 public:
  CSCMFileVerInfo() = default;

  /// Reads the version resource of the file at strPath: TRUE when the file
  /// exists and its version data were read (values it lacks stay empty).
  BOOL Load(const std::string& strPath);

  /// Fills strMember with the value pszName of the string table for wLang and
  /// wCodePage in the version data pVerData; TRUE when the value exists.
  BOOL QueryVersionString(std::string& strMember, const void* pVerData, const char* pszName,
                          WORD wLang, WORD wCodePage);

  void Serialize(CArchive& ar) override;

  std::string m_strFileName;
  std::string m_strFileVersion;
  std::string m_strFileDescription;
  std::string m_strLegalCopyright;
  std::string m_strCompanyName;
  std::string m_strInternalName;
  std::string m_strOriginalFilename;
  std::string m_strProductName;
  std::string m_strProductVersion;
  std::string m_strComments;
  std::string m_strLegalTrademarks;
  std::string m_strPrivateBuild;
  std::string m_strSpecialBuild;
};
