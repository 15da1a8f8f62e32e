/// The framework's exception for a failed OLE or platform call, carrying the
/// HRESULT; raised when the binding's lock cannot be set up.
#pragma once

#include <string>

#include "report/exceptions.h"

class COleException : public CException {
 public:
  explicit COleException(HRESULT sc) : m_sc(sc) {}

  /// "OLE error 0x8007xxxx".
  std::string GetErrorMessage() const override;

  HRESULT m_sc;
};
