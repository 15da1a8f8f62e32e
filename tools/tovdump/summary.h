/// The short text summary of a report that a person reads first: computer,
/// operating system, device counts and devices with problems, services by
/// state, events by log and type, and the capture times.
#pragma once

#include <ostream>

#include "tools/tovdump/report_reader.h"
#include "tools/tovdump/text_decode.h"

namespace tovdump {

/// The summary lines of one loaded stream (nothing for one that did not load).
void WriteStreamSummary(std::ostream& out, const LoadedStream& stream, CodePage codePage);

/// The UTF-8 form of a report text, for text output; bytes that do not
/// decode are shown as \xNN.
std::string DisplayText(const std::string& strBytes, CodePage codePage);

}  // namespace tovdump
