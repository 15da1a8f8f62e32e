// 8-bit <-> UTF-16 conversion for the code pages a machine model can name.
#include <string>
#include "win32_api.h"

#include "platform/posix/src/fault_injection.h"
#include "platform/posix/src/machine_access.h"

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same value, as the platform's own table does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// 0 when the code page is the machine's and no machine is installed (the
// last error then says so).
UINT Resolve(UINT cp) {
  return (cp == CP_ACP || cp == CP_THREAD_ACP || cp == CP_OEMCP) ? GetACP() : cp;
}

// Decodes one UTF-8 sequence; malformed input yields U+FFFD for one byte.
size_t DecodeUtf8(const unsigned char* s, size_t n, char32_t& out) {
  unsigned char b = s[0];
  size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len == 0 || len > n) { out = 0xFFFD; return 1; }
  if (len == 1) { out = b; return 1; }
  char32_t c = b & (0x7F >> len);
  for (size_t i = 1; i < len; ++i) {
    if ((s[i] & 0xC0) != 0x80) { out = 0xFFFD; return 1; }
    c = (c << 6) | (s[i] & 0x3F);
  }
  static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { out = 0xFFFD; return 1; }
  out = c;
  return len;
}

}  // namespace

UINT GetACP(void) { return tov::posix::MachineAnsiCodePage(); }

int MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR src, int cb, LPWSTR dst, int cch) {
  if (tov::posix::FaultFires("MultiByteToWideChar")) return 0;
  if (src == nullptr || cb == 0 || cch < 0 || (cch > 0 && dst == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT cp = Resolve(CodePage);
  if (cp == 0) return 0;
  if (cp != 1252 && cp != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = cb < 0 ? std::char_traits<char>::length(src) + 1 : static_cast<size_t>(cb);
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  int written = 0;
  auto put = [&](char16_t u) -> bool {
    if (cch > 0) {
      if (written >= cch) return false;
      dst[written] = u;
    }
    ++written;
    return true;
  };
  for (size_t i = 0; i < n;) {
    char32_t c;
    if (cp == 1252) {
      c = (s[i] >= 0x80 && s[i] < 0xA0) ? kCp1252High[s[i] - 0x80] : s[i];
      ++i;
    } else {
      i += DecodeUtf8(s + i, n - i, c);
    }
    bool ok = c >= 0x10000 ? put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10))) &&
                                 put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)))
                           : put(static_cast<char16_t>(c));
    if (!ok) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
  }
  return written;
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR src, int cch, LPSTR dst, int cb,
                        LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (src == nullptr || cch == 0 || cb < 0 || (cb > 0 && dst == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT cp = Resolve(CodePage);
  if (cp == 0) return 0;
  if (cp != 1252 && cp != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = 0;
  if (cch < 0) {
    while (src[n] != 0) ++n;
    ++n;
  } else {
    n = static_cast<size_t>(cch);
  }
  const char fallback = lpDefaultChar != nullptr ? *lpDefaultChar : '?';
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = FALSE;
  int written = 0;
  auto put = [&](unsigned char b) -> bool {
    if (cb > 0) {
      if (written >= cb) return false;
      dst[written] = static_cast<char>(b);
    }
    ++written;
    return true;
  };
  for (size_t i = 0; i < n; ++i) {
    char32_t c = src[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      ++i;
    }
    bool ok = true;
    if (cp == CP_UTF8) {
      if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
      if (c < 0x80) {
        ok = put(static_cast<unsigned char>(c));
      } else if (c < 0x800) {
        ok = put(0xC0 | (c >> 6)) && put(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        ok = put(0xE0 | (c >> 12)) && put(0x80 | ((c >> 6) & 0x3F)) && put(0x80 | (c & 0x3F));
      } else {
        ok = put(0xF0 | (c >> 18)) && put(0x80 | ((c >> 12) & 0x3F)) &&
             put(0x80 | ((c >> 6) & 0x3F)) && put(0x80 | (c & 0x3F));
      }
    } else {
      int byte = -1;
      if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<int>(c);
      } else {
        for (int k = 0; k < 32; ++k) {
          if (kCp1252High[k] == c) { byte = 0x80 + k; break; }
        }
      }
      if (byte < 0) {
        byte = static_cast<unsigned char>(fallback);
        if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = TRUE;
      }
      ok = put(static_cast<unsigned char>(byte));
    }
    if (!ok) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
  }
  return written;
}
