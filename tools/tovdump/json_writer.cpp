#include "tools/tovdump/json_writer.h"

#include <algorithm>
#include <cstdio>

namespace tovdump {

JsonWriter::JsonWriter(std::ostream& out, CodePage codePage) : m_out(out), m_codePage(codePage) {
  m_buffer.reserve(kFlushAt + 4096);
}

JsonWriter::~JsonWriter() { Drain(); }

void JsonWriter::Drain() {
  m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
  m_buffer.clear();
}

void JsonWriter::Finish() {
  Put("\n");
  Drain();
  m_out.flush();
}

void JsonWriter::NewLine() {
  // Indentation stops growing at kMaxIndent levels, so a deep tree costs
  // output in proportion to its size, not to its depth squared.
  m_buffer += '\n';
  m_buffer.append(2 * std::min(m_hasMember.size(), kMaxIndent), ' ');
}

void JsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (m_hasMember.empty()) return;
  if (m_hasMember.back()) m_buffer += ',';
  m_hasMember.back() = true;
  NewLine();
}

JsonWriter& JsonWriter::Key(std::string_view strKey) {
  BeforeValue();
  m_buffer += '"';
  m_buffer.append(strKey);
  m_buffer += "\": ";
  m_afterKey = true;
  return *this;
}

void JsonWriter::Open(char c) {
  BeforeValue();
  m_buffer += c;
  m_hasMember.push_back(false);
}

void JsonWriter::Close(char c) {
  bool bHadMembers = m_hasMember.back();
  m_hasMember.pop_back();
  if (bHadMembers) NewLine();
  m_buffer += c;
  if (m_buffer.size() >= kFlushAt) Drain();
}

void JsonWriter::BeginObject() { Open('{'); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray() { Open('['); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::EscapedCodePoint(char32_t cp) {
  switch (cp) {
    case '"': m_buffer += "\\\""; return;
    case '\\': m_buffer += "\\\\"; return;
    case '\n': m_buffer += "\\n"; return;
    case '\r': m_buffer += "\\r"; return;
    case '\t': m_buffer += "\\t"; return;
    default: break;
  }
  // Control characters, and the lone surrogates that carry undecodable
  // bytes, have no plain UTF-8 form that JSON accepts.
  if (cp < 0x20 || (cp >= 0xD800 && cp <= 0xDFFF)) {
    char esc[8];
    std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(cp));
    m_buffer += esc;
    return;
  }
  AppendUtf8(m_buffer, cp);
}

void JsonWriter::Text(std::string_view strBytes) {
  BeforeValue();
  m_buffer += '"';
  DecodeText(m_codePage, strBytes, [this](char32_t cp) { EscapedCodePoint(cp); });
  m_buffer += '"';
  if (m_buffer.size() >= kFlushAt) Drain();
}

void JsonWriter::String(std::string_view strUtf8) {
  BeforeValue();
  m_buffer += '"';
  DecodeText(CodePage::kUtf8, strUtf8, [this](char32_t cp) { EscapedCodePoint(cp); });
  m_buffer += '"';
  if (m_buffer.size() >= kFlushAt) Drain();
}

void JsonWriter::Uint(uint64_t value) {
  BeforeValue();
  m_buffer += std::to_string(value);
}

void JsonWriter::Int(int64_t value) {
  BeforeValue();
  m_buffer += std::to_string(value);
}

void JsonWriter::Number(std::string_view strDigits) {
  BeforeValue();
  m_buffer.append(strDigits);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  m_buffer += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  m_buffer += "null";
}

void JsonWriter::Hex(const unsigned char* pBytes, size_t nCount) {
  static constexpr char kDigits[] = "0123456789abcdef";
  BeforeValue();
  m_buffer += '"';
  for (size_t i = 0; i < nCount; ++i) {
    m_buffer += kDigits[pBytes[i] >> 4];
    m_buffer += kDigits[pBytes[i] & 0xF];
    if (m_buffer.size() >= kFlushAt) Drain();
  }
  m_buffer += '"';
}

}  // namespace tovdump
