#include "tools/tovdump/report_diff.h"

#include <unordered_map>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tools/tovdump/json_writer.h"
#include "tools/tovdump/raw_blocks.h"
#include "tools/tovdump/summary.h"

namespace tovdump {

namespace {

std::string HexText(const BYTE* p, size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < n; ++i) text += {kDigits[p[i] >> 4], kDigits[p[i] & 0xF]};
  return text;
}

// Keys that occur more than once (two devices with one instance ID in a
// damaged tree) get "#2", "#3", ... so that every item keeps a key.
void MakeKeysUnique(std::vector<DiffItem>& items) {
  std::unordered_map<std::string, size_t> seen;
  for (DiffItem& item : items) {
    size_t n = ++seen[item.strKey];
    if (n > 1) item.strKey += "#" + std::to_string(n);
  }
}

}  // namespace

std::vector<DiffItem> DiffItems(const LoadedStream& stream) {
  std::vector<DiffItem> items;
  if (!stream.pObject) return items;
  const CObject& object = *stream.pObject;
  if (object.IsKindOf(RUNTIME_CLASS(CCmDevTree))) {
    ForEachDevice(static_cast<const CCmDevTree&>(object).m_pRoot, [&items](const CCmDevice& d) {
      items.push_back({d.m_strDeviceId, DeviceFields(d)});
    });
  } else if (object.IsKindOf(RUNTIME_CLASS(CSCMServiceMan))) {
    for (const CSCMService* p = static_cast<const CSCMServiceMan&>(object).m_pFirst; p; p = p->m_pNext) {
      DiffItem item{p->m_strServiceName, ServiceFields(*p)};
      item.fields.push_back({"state", false, std::to_string(p->m_status.dwCurrentState)});
      items.push_back(std::move(item));
    }
  } else if (object.IsKindOf(RUNTIME_CLASS(CElEventLog))) {
    size_t nPosition = 0;
    for (const CElEvent* p = static_cast<const CElEventLog&>(object).m_pFirst; p; p = p->m_pNext) {
      ++nPosition;
      const DWORD nLength = p->m_pRecord != nullptr ? Le32(p->m_pRecord) : 0;
      // Events are known by their record number; one without a whole head
      // only by its place in the log.
      DiffItem item{nLength >= 56 ? "record " + std::to_string(Le32(p->m_pRecord + 8))
                                  : "event " + std::to_string(nPosition),
                    EventTextFields(*p)};
      item.fields.push_back({"record", false, HexText(p->m_pRecord, nLength)});
      items.push_back(std::move(item));
    }
  }
  MakeKeysUnique(items);
  return items;
}

CategoryDiff CompareItems(std::string strCategory, const std::vector<DiffItem>& before,
                          const std::vector<DiffItem>& after) {
  CategoryDiff diff;
  diff.strCategory = std::move(strCategory);
  std::unordered_map<std::string, const DiffItem*> old;
  for (const DiffItem& item : before) old.emplace(item.strKey, &item);
  for (const DiffItem& item : after) {
    auto found = old.find(item.strKey);
    if (found == old.end()) {
      diff.added.push_back(item.strKey);
      continue;
    }
    CategoryDiff::Change change{item.strKey, {}};
    const DiffItem& was = *found->second;
    for (size_t i = 0; i < item.fields.size() && i < was.fields.size(); ++i) {
      if (item.fields[i].strValue != was.fields[i].strValue) change.fields.push_back({was.fields[i], item.fields[i]});
    }
    if (!change.fields.empty()) diff.changed.push_back(std::move(change));
    old.erase(found);
  }
  for (const DiffItem& item : before) {
    if (old.count(item.strKey) != 0) diff.removed.push_back(item.strKey);
  }
  return diff;
}

void WriteDiffJson(std::ostream& out, const std::vector<CategoryDiff>& diffs, CodePage codePage) {
  JsonWriter json(out, codePage);
  auto value = [&json](const FieldValue& f) {
    if (f.bText) {
      json.Text(f.strValue);
    } else {
      json.String(f.strValue);
    }
  };
  json.BeginObject();
  for (const CategoryDiff& diff : diffs) {
    json.Key(diff.strCategory).BeginObject();
    json.Key("added").BeginArray();
    for (const std::string& key : diff.added) json.Text(key);
    json.EndArray();
    json.Key("removed").BeginArray();
    for (const std::string& key : diff.removed) json.Text(key);
    json.EndArray();
    json.Key("changed").BeginArray();
    for (const CategoryDiff::Change& change : diff.changed) {
      json.BeginObject();
      json.Key("key").Text(change.strKey);
      json.Key("fields").BeginObject();
      for (const auto& [was, now] : change.fields) {
        json.Key(was.pszKey).BeginObject();
        json.Key("old");
        value(was);
        json.Key("new");
        value(now);
        json.EndObject();
      }
      json.EndObject();
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndObject();
  json.Finish();
}

void WriteDiffText(std::ostream& out, const std::vector<CategoryDiff>& diffs, CodePage codePage) {
  for (const CategoryDiff& diff : diffs) {
    out << diff.strCategory << ": " << diff.added.size() << " added, " << diff.removed.size() << " removed, "
        << diff.changed.size() << " changed\n";
    for (const std::string& key : diff.added) out << "  + " << DisplayText(key, codePage) << "\n";
    for (const std::string& key : diff.removed) out << "  - " << DisplayText(key, codePage) << "\n";
    for (const CategoryDiff::Change& change : diff.changed) {
      out << "  ~ " << DisplayText(change.strKey, codePage) << "\n";
      for (const auto& [was, now] : change.fields) {
        out << "      " << was.pszKey << ": " << DisplayText(was.strValue, codePage) << " -> "
            << DisplayText(now.strValue, codePage) << "\n";
      }
    }
  }
}

}  // namespace tovdump
