/// Decoding of the report's 8-bit texts into Unicode code points for output,
/// in a code page chosen on the command line. Every byte decodes to
/// something, so no text is lost: bytes a code page leaves undefined come out
/// as the C1 control of the same value (Windows-1252), and bytes that are not
/// valid UTF-8 come out as U+DC80..U+DCFF (a lone surrogate carrying the byte).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tovdump {

/// The code pages the reader decodes.
enum class CodePage { kWindows1252 = 1252, kLatin1 = 28591, kUtf8 = 65001 };

/// The code page of a command-line value ("1252", "windows-1252", "28591",
/// "latin1", "65001", "utf-8"), or nothing for one not supported.
std::optional<CodePage> ParseCodePage(std::string_view strName);

/// Calls emit(char32_t) for each code point of the bytes in strText.
template <class Emit>
void DecodeText(CodePage codePage, std::string_view strText, Emit&& emit);

/// The code point of a Windows-1252 byte.
char32_t DecodeWindows1252(unsigned char b);
/// Decodes one UTF-8 sequence at the start of text (not empty); gives the
/// number of bytes taken. An invalid or truncated sequence takes one byte and
/// gives U+DC00 + that byte.
size_t DecodeUtf8Sequence(std::string_view text, char32_t& cp);

/// Appends the UTF-8 form of cp (lone surrogates included, as the three
/// bytes of their generalised form).
void AppendUtf8(std::string& out, char32_t cp);

template <class Emit>
void DecodeText(CodePage codePage, std::string_view strText, Emit&& emit) {
  switch (codePage) {
    case CodePage::kWindows1252:
      for (unsigned char b : strText) emit(DecodeWindows1252(b));
      return;
    case CodePage::kLatin1:
      for (unsigned char b : strText) emit(static_cast<char32_t>(b));
      return;
    case CodePage::kUtf8:
      while (!strText.empty()) {
        char32_t cp;
        strText.remove_prefix(DecodeUtf8Sequence(strText, cp));
        emit(cp);
      }
      return;
  }
}

}  // namespace tovdump
