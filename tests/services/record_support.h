/// Helpers of the service record tests, beside the archive tests' own
/// (tests/report/archive_test_support.h): records through an archive over
/// memory, strings in their stored form, and small inventories.
#pragma once

#include <string>

#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/report/archive_test_support.h"

namespace tov::test {

/// The bytes of `object`'s record, written by calling its Serialize directly
/// (as the report writes a stream's top-level object).
Bytes StoreRecord(CObject& object);
/// Reads `object`'s record from `bytes` the same way.
void LoadRecord(const Bytes& bytes, CObject& object);

/// A string in its stored form: one length byte (texts below 255 bytes) and
/// the text.
Bytes Str(const std::string& text);
Bytes Zeros(size_t count);

/// The service of `man` named `name`, or null.
const CSCMService* FindService(const CSCMServiceMan& man, const std::string& name);

/// A service with just its name, appended to `man`'s chain.
CSCMService& AppendService(CSCMServiceMan& man, const std::string& name);

}  // namespace tov::test
