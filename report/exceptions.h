/// The exceptions of the archive layer: CArchiveException for a malformed or
/// misused archive, CFileException for a failing file underneath it.
#pragma once

#include <exception>
#include <string>

#include "win32_api.h"

/// Base of the framework's exceptions; GetErrorMessage is the text shown to the user.
class CException : public std::exception {
 public:
  /// The user-facing message of this exception.
  virtual std::string GetErrorMessage() const = 0;
  const char* what() const noexcept override;

 private:
  mutable std::string m_strWhat;
};

/// An archive that cannot go on, with the cause and the name of the archived file.
class CArchiveException : public CException {
 public:
  enum {
    none = 0,
    genericException = 1,
    readOnly = 2,    // a value written into an archive in load mode
    endOfFile = 3,   // a read past the end of the data
    writeOnly = 4,   // a value read from an archive in store mode
    badIndex = 5,    // an index that names nothing, or malformed data
    badClass = 6,    // an unexpected or unknown class
    badSchema = 7,   // a schema the class does not accept
  };

  explicit CArchiveException(int cause = none, std::string strFileName = {});

  /// The string-table text for the cause, with "%1" replaced by the file name.
  std::string GetErrorMessage() const override;

  int m_cause;
  std::string m_strFileName;
};

/// A read or write of the underlying file failed; m_lOsError is the platform's error code.
class CFileException : public CException {
 public:
  explicit CFileException(LONG lOsError = 0, std::string strFileName = {});

  /// The text of an unknown error while accessing the file, with its name.
  std::string GetErrorMessage() const override;

  LONG m_lOsError;
  std::string m_strFileName;
};

/// Raises a CArchiveException with that cause and no file name.
[[noreturn]] void ThrowArchiveException(int cause);
