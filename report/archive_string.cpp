// Strings: a length in one of three forms, then the text. Loading also takes
// the UTF-16 form, marked by FF FE FF before the length.
#include <climits>

#include "report/archive.h"

namespace {

constexpr WORD kWideMarker = 0xFFFE;  // after 0xFF: UTF-16 text, length follows
constexpr WORD kLength32 = 0xFFFF;    // after 0xFF: the length is in the next 32 bits
constexpr DWORD kLength64 = 0xFFFFFFFF;

}  // namespace

void CArchive::WriteStringLength(size_t nLength) {
  if (nLength < kShortStringLimit) {
    *this << static_cast<BYTE>(nLength);
  } else if (nLength < kWideMarker) {
    *this << kShortStringLimit << static_cast<WORD>(nLength);
  } else if (nLength < kLength64) {
    *this << kShortStringLimit << kLength32 << static_cast<DWORD>(nLength);
  } else {
    // No 32-bit form can carry it; a length cut short would corrupt the stream.
    ThrowArchiveException(CArchiveException::genericException);
  }
}

void CArchive::WriteStringAnyForm(const std::string& str) {
  WriteStringLength(str.size());
  Write(str.data(), static_cast<UINT>(str.size()));
}

DWORD CArchive::ReadStringLength(bool& bWide) {
  bWide = false;
  BYTE bLength;
  *this >> bLength;
  if (bLength < kShortStringLimit) return bLength;
  WORD wLength;
  *this >> wLength;
  if (wLength == kWideMarker) {
    bWide = true;
    *this >> bLength;
    if (bLength < kShortStringLimit) return bLength;
    *this >> wLength;
    // The marker cannot come twice; no writer produces that.
    if (wLength == kWideMarker) ThrowArchiveException(CArchiveException::badIndex);
  }
  if (wLength < kWideMarker) return wLength;
  DWORD dwLength;
  *this >> dwLength;
  // 0xFFFFFFFF would announce a 64-bit length, which no stream here can hold.
  if (dwLength == kLength64) ThrowArchiveException(CArchiveException::badIndex);
  return dwLength;
}

void CArchive::ReadStringAnyForm(std::string& str) {
  bool bWide;
  DWORD nLength = ReadStringLength(bWide);
  // Counted in 64 bits, so a wide length cannot wrap around; checked before
  // anything is allocated, so a hostile length costs nothing.
  ULONGLONG nBytes = bWide ? 2ull * nLength : nLength;
  if (static_cast<ULONGLONG>(m_pReadMax - m_pBufCur) < nBytes) EnsureAvailable(nBytes);
  if (bWide) {
    str = ReadWideText(nLength);
  } else {
    str.resize(nLength);
    Read(str.data(), nLength);
  }
}

std::string CArchive::ReadWideText(DWORD nLength) {
  if (nLength == 0) return {};
  if (nLength > static_cast<DWORD>(INT_MAX)) ThrowArchiveException(CArchiveException::genericException);
  std::vector<WCHAR> wide(nLength);
  Read(wide.data(), nLength * 2);
  int nChars = static_cast<int>(nLength);
  int nBytes = WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), nChars, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(nBytes), '\0');
  if (nBytes == 0 || WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), nChars, text.data(), nBytes,
                                         nullptr, nullptr) != nBytes) {
    ThrowArchiveException(CArchiveException::genericException);
  }
  return text;
}
