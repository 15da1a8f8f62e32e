/// Helpers of the archive tests: run code on an archive over memory, spell
/// expected bytes, and catch the cause of an archive error.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "report/archive.h"

using Bytes = std::vector<BYTE>;

/// The bytes that fn writes through a store-mode archive (closed afterwards).
Bytes StoreBytes(const std::function<void(CArchive&)>& fn,
                 UINT nBufSize = CArchive::kDefaultBufferSize);
/// Runs fn on a load-mode archive over bytes; returns the archive's position at the end.
ULONGLONG LoadBytes(const Bytes& bytes, const std::function<void(CArchive&)>& fn,
                    UINT nBufSize = CArchive::kDefaultBufferSize);
/// The cause of the CArchiveException that fn raises; -1 when it raises none.
int ArchiveErrorCause(const std::function<void()>& fn);

/// Expected bytes, spelled in pieces.
Bytes Cat(std::initializer_list<Bytes> parts);
Bytes U16(WORD w);
Bytes U32(DWORD dw);
Bytes Text(const std::string& str);
/// The class record of a new class: 0xFFFF, schema, name length, name.
Bytes ClassRecord(WORD wSchema, const std::string& name);
/// A byte string for failure messages ("01 ff ...").
std::string Hex(const Bytes& bytes);
