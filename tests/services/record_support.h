/// Helpers of the service record tests: records through an archive over
/// memory, expected bytes spelled in pieces, and small inventories.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "report/archive.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"

namespace tov::test {

using Bytes = std::vector<BYTE>;

/// The bytes of `object`'s record, written by calling its Serialize directly
/// (as the report writes a stream's top-level object).
Bytes StoreRecord(CObject& object);
/// Reads `object`'s record from `bytes` the same way.
void LoadRecord(const Bytes& bytes, CObject& object);
/// The cause of the CArchiveException that `fn` raises; -1 when it raises none.
int ArchiveErrorCause(const std::function<void()>& fn);

Bytes Cat(std::initializer_list<Bytes> parts);
Bytes U16(WORD value);
Bytes U32(DWORD value);
/// A string in its stored form: length prefix and bytes.
Bytes Str(const std::string& text);
Bytes Zeros(size_t count);

/// A service with just its name, appended to `man`'s chain.
CSCMService& AppendService(CSCMServiceMan& man, const std::string& name);

}  // namespace tov::test
