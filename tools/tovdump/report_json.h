/// The JSON form of a report: every stream with every field (documented in
/// docs/tovdump.md). Written stream by stream, as each is loaded.
#pragma once

#include <string>
#include <vector>

#include "tools/tovdump/json_writer.h"
#include "tools/tovdump/report_reader.h"

namespace tovdump {

/// The value of one stream: its status, size and problem, and when it
/// loaded, its "record".
void WriteStreamJson(JsonWriter& json, const LoadedStream& stream);

/// A GUID in its registry form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string GuidText(const GUID& guid);

}  // namespace tovdump
