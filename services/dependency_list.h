/// The dependency list of a service's configuration as one text.
#pragma once

#include <string>

/// Joins the names of `pszList` (NUL-terminated names ended by an empty name;
/// group names keep their '+') with single line feeds, none after the last.
/// An empty list gives an empty text.
std::string JoinDependencies(const char* pszList);
