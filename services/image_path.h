/// The steps that turn a service's image path text into the path of its file.
#pragma once

#include <string>
#include <string_view>

/// Drops the quotes and arguments of an image path. A path that starts with a
/// double quote loses it and is cut at the next double quote, unless that
/// follows at once (no closing quote: the rest stays whole). Any other path is
/// cut at its first blank, unless that blank is its first character.
std::string StripImageArguments(std::string_view strPath);

/// The file a driver's image path names, given the Windows directory W
/// (prefixes compare in any letter case): "\??\" is dropped; "\SystemRoot" is
/// replaced by W; a path starting with "System32\" gets W and "\" in front.
/// Any other path stays as it is.
std::string ResolveDriverImagePath(std::string_view strPath, std::string_view strWindowsDir);
