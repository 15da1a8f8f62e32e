// Layouts are given as tables of (key, offset, width) so that each decoder is
// its table plus the bounds test in WriteFields; nothing is read through a
// platform structure, whose layout differs between the 32- and 64-bit builds.
#include "tools/tovdump/raw_blocks.h"

#include <cstdio>
#include <initializer_list>
#include <vector>

namespace tovdump {

namespace {

struct Field {
  const char* pszKey;
  size_t nOffset;
  size_t nWidth;  // 2, 4 or 8
};

// The fields that lie wholly inside the block, from `nBase`.
template <class Fields>
void WriteFields(JsonWriter& json, const uint8_t* p, size_t nBytes, const Fields& fields, size_t nBase = 0) {
  for (const Field& f : fields) {
    const size_t nAt = nBase + f.nOffset;
    if (nAt + f.nWidth > nBytes) continue;
    json.Key(f.pszKey).Uint(f.nWidth == 2 ? Le16(p + nAt) : f.nWidth == 4 ? Le32(p + nAt) : Le64(p + nAt));
  }
}

// Text of a NUL-terminated string at nOffset that ends inside the block.
bool TextAt(const uint8_t* p, size_t nBytes, size_t nOffset, std::string& strText) {
  for (size_t i = nOffset; i < nBytes; ++i) {
    if (p[i] == 0) {
      strText.assign(reinterpret_cast<const char*>(p + nOffset), i - nOffset);
      return true;
    }
  }
  return false;
}

// One descriptor layout: its header fields, the count's offset, and the
// fields of each range that follows the header.
struct ResourceLayout {
  const char* pszType;
  size_t nHeaderSize;
  std::vector<Field> header;
  size_t nRangeSize;
  std::vector<Field> range;
};

const ResourceLayout* LayoutOf(uint32_t ulResType) {
  static const ResourceLayout kMemory{
      "memory", 32,
      {{"count", 0, 4}, {"type", 4, 4}, {"alloc_base", 8, 8}, {"alloc_end", 16, 8}, {"flags", 24, 4}},
      36,
      {{"align", 0, 8}, {"bytes", 8, 4}, {"min", 12, 8}, {"max", 20, 8}, {"flags", 28, 4}}};
  static const ResourceLayout kPort{
      "io_port", 28,
      {{"count", 0, 4}, {"type", 4, 4}, {"alloc_base", 8, 8}, {"alloc_end", 16, 8}, {"flags", 24, 4}},
      40,
      {{"align", 0, 8}, {"ports", 8, 4}, {"min", 12, 8}, {"max", 20, 8}, {"flags", 28, 4}, {"alias", 32, 8}}};
  static const ResourceLayout kDma{"dma", 16,
                                   {{"count", 0, 4}, {"type", 4, 4}, {"flags", 8, 4}, {"channel", 12, 4}},
                                   12,
                                   {{"min", 0, 4}, {"max", 4, 4}, {"flags", 8, 4}}};
  static const ResourceLayout kIrq{
      "irq", 20,
      {{"count", 0, 4}, {"type", 4, 4}, {"flags", 8, 4}, {"irq", 12, 4}, {"affinity", 16, 4}},
      12,
      {{"min", 0, 4}, {"max", 4, 4}, {"flags", 8, 4}}};
  switch (ulResType) {
    case 1: return &kMemory;
    case 2: return &kPort;
    case 3: return &kDma;
    case 4: return &kIrq;
    default: return nullptr;
  }
}

}  // namespace

std::string FormatUtc(int64_t nSeconds) {
  // Days to a civil date (proleptic Gregorian), valid for the whole range.
  int64_t nDays = nSeconds / 86400;
  int64_t nRest = nSeconds % 86400;
  if (nRest < 0) {
    nRest += 86400;
    --nDays;
  }
  const int64_t z = nDays + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(nRest / 3600),
                static_cast<long long>(nRest / 60 % 60), static_cast<long long>(nRest % 60));
  return text;
}

std::string EventTypeName(uint16_t wType) {
  switch (wType) {
    case 0: return "success";
    case 1: return "error";
    case 2: return "warning";
    case 4: return "information";
    case 8: return "audit_success";
    case 16: return "audit_failure";
    default: return std::to_string(wType);
  }
}

std::string ServiceStateName(uint32_t dwState) {
  static const char* const kNames[] = {"stopped",          "start_pending", "stop_pending", "running",
                                       "continue_pending", "pause_pending", "paused"};
  return dwState >= 1 && dwState <= 7 ? kNames[dwState - 1] : std::to_string(dwState);
}

std::string SidText(const uint8_t* pSid, size_t nBytes) {
  if (nBytes < 8 || 8 + 4 * size_t{pSid[1]} > nBytes) return {};
  uint64_t nAuthority = 0;
  for (int i = 2; i < 8; ++i) nAuthority = nAuthority << 8 | pSid[i];
  std::string text = "S-" + std::to_string(pSid[0]) + "-" + std::to_string(nAuthority);
  for (size_t i = 0; i < pSid[1]; ++i) text += "-" + std::to_string(Le32(pSid + 8 + 4 * i));
  return text;
}

void WriteSystemInfoBlock(JsonWriter& json, const uint8_t* p, size_t n) {
  WriteFields(json, p, n,
              std::initializer_list<Field>{{"processor_architecture", 0, 2},
               {"page_size", 4, 4},
               {"minimum_application_address", 8, 4},
               {"maximum_application_address", 12, 4},
               {"active_processor_mask", 16, 4},
               {"number_of_processors", 20, 4},
               {"processor_type", 24, 4},
               {"allocation_granularity", 28, 4},
               {"processor_level", 32, 2},
               {"processor_revision", 34, 2}});
  json.Key("hex").Hex(p, n);
}

void WriteVersionInfoBlock(JsonWriter& json, const uint8_t* p, size_t n) {
  WriteFields(json, p, n,
              std::initializer_list<Field>{{"size", 0, 4}, {"major_version", 4, 4}, {"minor_version", 8, 4}, {"build_number", 12, 4},
               {"platform_id", 16, 4}});
  std::string strCsd;
  // The service pack text fills a 128-byte array; it need not end in it.
  if (n >= 20) {
    size_t nEnd = n < 148 ? n : 148;
    if (!TextAt(p, nEnd, 20, strCsd)) strCsd.assign(reinterpret_cast<const char*>(p + 20), nEnd - 20);
    json.Key("csd_version").Text(strCsd);
  }
  WriteFields(json, p, n,
              std::initializer_list<Field>{{"service_pack_major", 148, 2}, {"service_pack_minor", 150, 2}, {"suite_mask", 152, 2}});
  if (n >= 156) {
    json.Key("product_type").Uint(p[154]);
    json.Key("reserved").Uint(p[155]);
  }
  json.Key("hex").Hex(p, n);
}

void WriteServiceStatusBlock(JsonWriter& json, const uint8_t* p, size_t n) {
  WriteFields(json, p, n,
              std::initializer_list<Field>{{"service_type", 0, 4}, {"current_state", 4, 4}, {"controls_accepted", 8, 4},
               {"win32_exit_code", 12, 4}, {"service_specific_exit_code", 16, 4}, {"check_point", 20, 4},
               {"wait_hint", 24, 4}});
  if (n >= 8) json.Key("state").String(ServiceStateName(Le32(p + 4)));
  json.Key("hex").Hex(p, n);
}

void WriteEventRecordBlock(JsonWriter& json, const uint8_t* p, size_t n) {
  WriteFields(json, p, n,
              std::initializer_list<Field>{{"length", 0, 4}, {"record_number", 8, 4}, {"event_id", 20, 4}, {"event_code", 20, 2},
               {"event_type", 24, 2}, {"num_strings", 26, 2}, {"event_category", 28, 2},
               {"string_offset", 36, 4}, {"user_sid_length", 40, 4}, {"user_sid_offset", 44, 4},
               {"data_length", 48, 4}, {"data_offset", 52, 4}});
  // The rest needs a whole head, and is read within the record's own Length
  // where that is shorter than the bytes kept.
  if (n >= 56) {
    const size_t nLength = Le32(p) < n ? Le32(p) : n;
    json.Key("time_generated").String(FormatUtc(Le32(p + 12)));
    json.Key("time_written").String(FormatUtc(Le32(p + 16)));
    json.Key("type").String(EventTypeName(Le16(p + 24)));
    std::string strSource, strComputer;
    if (TextAt(p, nLength, 56, strSource)) {
      json.Key("source").Text(strSource);
      if (TextAt(p, nLength, 56 + strSource.size() + 1, strComputer)) json.Key("computer").Text(strComputer);
    }
    json.Key("strings").BeginArray();
    size_t nOffset = Le32(p + 36);
    for (uint32_t i = 0; i < Le16(p + 26); ++i) {
      std::string strInsert;
      if (nOffset >= nLength || !TextAt(p, nLength, nOffset, strInsert)) break;
      json.Text(strInsert);
      nOffset += strInsert.size() + 1;
    }
    json.EndArray();
    const uint64_t nSidOffset = Le32(p + 44), nSidLength = Le32(p + 40);
    if (nSidLength != 0 && nSidOffset + nSidLength <= nLength) {
      std::string strSid = SidText(p + nSidOffset, static_cast<size_t>(nSidLength));
      if (!strSid.empty()) json.Key("user_sid").String(strSid);
    }
    const uint64_t nDataOffset = Le32(p + 52), nDataLength = Le32(p + 48);
    if (nDataLength != 0 && nDataOffset + nDataLength <= nLength) {
      json.Key("data").Hex(p + nDataOffset, static_cast<size_t>(nDataLength));
    }
  }
  json.Key("hex").Hex(p, n);
}

void WriteResourceBlock(JsonWriter& json, uint32_t ulResType, const uint8_t* p, size_t n) {
  const ResourceLayout* pLayout = LayoutOf(ulResType);
  if (pLayout != nullptr && n >= pLayout->nHeaderSize) {
    json.Key("kind").String(pLayout->pszType);
    WriteFields(json, p, n, pLayout->header);
    json.Key("ranges").BeginArray();
    const size_t nRanges = (n - pLayout->nHeaderSize) / pLayout->nRangeSize;
    const size_t nCount = Le32(p) < nRanges ? Le32(p) : nRanges;
    for (size_t i = 0; i < nCount; ++i) {
      json.BeginObject();
      WriteFields(json, p, n, pLayout->range, pLayout->nHeaderSize + i * pLayout->nRangeSize);
      json.EndObject();
    }
    json.EndArray();
  }
  json.Key("hex").Hex(p, n);
}

}  // namespace tovdump
