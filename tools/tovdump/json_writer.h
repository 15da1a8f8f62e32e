/// A streaming JSON writer: values go out as they are given, indented, through
/// a small buffer, so a report of any size is printed without holding its
/// JSON in memory. Texts from the report are decoded from their code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tovdump/text_decode.h"

namespace tovdump {

class JsonWriter {
 public:
  JsonWriter(std::ostream& out, CodePage codePage);
  /// Writes what is still buffered.
  ~JsonWriter();
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  /// The key of the next value of the open object (ASCII, from the program).
  JsonWriter& Key(std::string_view strKey);

  /// A text of the report, in its 8-bit code page.
  void Text(std::string_view strBytes);
  /// A text made by this program (UTF-8).
  void String(std::string_view strUtf8);
  void Uint(uint64_t value);
  void Int(int64_t value);
  /// A number already in decimal digits.
  void Number(std::string_view strDigits);
  void Bool(bool value);
  void Null();
  /// Bytes as lower-case hex digits in one string.
  void Hex(const unsigned char* pBytes, size_t nCount);

  /// Writes the buffer out; at the end of the document, a newline first.
  void Finish();

 private:
  void BeforeValue();
  void NewLine();
  void Open(char c);
  void Close(char c);
  void EscapedCodePoint(char32_t cp);
  void Put(std::string_view s) {
    m_buffer.append(s);
    if (m_buffer.size() >= kFlushAt) Drain();
  }
  void Drain();

  static constexpr size_t kFlushAt = 1 << 16;
  static constexpr size_t kMaxIndent = 64;
  std::ostream& m_out;
  CodePage m_codePage;
  std::string m_buffer;
  // Per open container: whether it has a member yet.
  std::vector<bool> m_hasMember;
  bool m_afterKey = false;
};

}  // namespace tovdump
