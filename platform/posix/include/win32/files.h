/// File attributes of the machine model's files.
#pragma once

#include "win32/base_types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

/// The attributes of a file or directory (path in any letter case, '\\' or '/'
/// separated). A folder that holds a file of the machine, the Windows directory
/// and the folders above it are directories. INVALID_FILE_ATTRIBUTES when
/// there is no such file, with ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND
/// when its folder is missing too.
DWORD GetFileAttributesA(LPCSTR lpFileName);
