#include "cfgmgr/ole_exception.h"

#include <cstdio>

std::string COleException::GetErrorMessage() const {
  char text[32];
  std::snprintf(text, sizeof text, "OLE error 0x%08lX", static_cast<unsigned long>(m_sc));
  return text;
}
