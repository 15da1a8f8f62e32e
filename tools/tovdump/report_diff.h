/// The difference of two reports: devices (by instance ID), services (by
/// name) and events (by log and record number) that were added, removed or
/// changed, with the fields that changed, as JSON or as text.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tools/tovdump/record_fields.h"
#include "tools/tovdump/report_reader.h"
#include "tools/tovdump/text_decode.h"

namespace tovdump {

/// The comparable items of one loaded stream: each with its key and fields.
struct DiffItem {
  std::string strKey;
  std::vector<FieldValue> fields;
};

/// The category of a stream ("devices", "services", "events System", ...)
/// and its items; nothing for a stream that did not load.
std::vector<DiffItem> DiffItems(const LoadedStream& stream);

/// What changed in one category.
struct CategoryDiff {
  std::string strCategory;
  std::vector<std::string> added, removed;
  struct Change {
    std::string strKey;
    std::vector<std::pair<FieldValue, FieldValue>> fields;  // old, new
  };
  std::vector<Change> changed;
};

CategoryDiff CompareItems(std::string strCategory, const std::vector<DiffItem>& before,
                          const std::vector<DiffItem>& after);

void WriteDiffJson(std::ostream& out, const std::vector<CategoryDiff>& diffs, CodePage codePage);
void WriteDiffText(std::ostream& out, const std::vector<CategoryDiff>& diffs, CodePage codePage);

}  // namespace tovdump
