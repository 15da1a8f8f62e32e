#include "services/dependency_list.h"

#include <cstring>

std::string JoinDependencies(const char* pszList) {
  std::string strJoined;
  for (const char* pszName = pszList; *pszName != '\0'; pszName += std::strlen(pszName) + 1) {
    if (!strJoined.empty()) strJoined += '\n';
    strJoined += pszName;
  }
  return strJoined;
}
