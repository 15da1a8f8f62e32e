// The PCI address of a device, derived from its location text or, without
// one, from its instance ID.
#include <cstdlib>
#include <cstring>

#include "devtree/cm_device.h"

namespace {

// Location texts longer than this are cut before they are split.
constexpr size_t kMaxLocationChars = 259;
constexpr char kLocationDelimiters[] = ", PCI";

// The next token of strText at or after nPos: the run of characters up to the
// next delimiter, after skipping delimiters; false when none is left.
bool NextToken(const std::string& strText, size_t& nPos, std::string& strToken) {
  size_t nStart = strText.find_first_not_of(kLocationDelimiters, nPos);
  if (nStart == std::string::npos) return false;
  size_t nEnd = strText.find_first_of(kLocationDelimiters, nStart);
  if (nEnd == std::string::npos) nEnd = strText.size();
  strToken.assign(strText, nStart, nEnd - nStart);
  nPos = nEnd;
  return true;
}

// The value after a marker found at nMarker, or false when the marker is
// missing or nothing follows it.
bool HexAfter(const std::string& strText, size_t nMarker, size_t nMarkerLength, ULONG& ulValue) {
  if (nMarker == std::string::npos || nMarker + nMarkerLength >= strText.size()) return false;
  ulValue = std::strtoul(strText.c_str() + nMarker + nMarkerLength, nullptr, 16);
  return true;
}

}  // namespace

BOOL CCmDevice::ParsePciLocation(const std::string& strLocation, WORD& wAddress) {
  // The tokens are taken by position, not by keyword: in "PCI bus 0, device
  // 31, function 2" the numbers are tokens 1, 3 and 5.
  const std::string strText = strLocation.substr(0, kMaxLocationChars);
  BOOL bComplete = FALSE;
  wAddress = 0;
  std::string strToken;
  size_t nPos = 0;
  for (int nToken = 0; nToken <= 5 && NextToken(strText, nPos, strToken); ++nToken) {
    ULONG ulValue = std::strtoul(strToken.c_str(), nullptr, 10);
    BYTE bLow = static_cast<BYTE>(wAddress);
    if (nToken == 1) {
      wAddress = static_cast<WORD>((static_cast<BYTE>(ulValue) << 8) | bLow);
    } else if (nToken == 3) {
      bLow = static_cast<BYTE>((bLow & 7) | static_cast<BYTE>(ulValue << 3));
      wAddress = static_cast<WORD>((wAddress & 0xFF00) | bLow);
    } else if (nToken == 5) {
      bLow = static_cast<BYTE>((bLow & ~7) | (ulValue & 7));
      wAddress = static_cast<WORD>((wAddress & 0xFF00) | bLow);
      bComplete = TRUE;
    }
  }
  return bComplete;
}

BOOL CCmDevice::ParsePciInstance(const std::string& strDeviceId, WORD& wAddress) {
  // Each marker is searched from the one before, so a "DEV_" in the hardware
  // part of the ID (before "BUS_") is not taken for the device number.
  wAddress = 0;
  size_t nBus = strDeviceId.find("BUS_");
  size_t nDev = nBus == std::string::npos ? nBus : strDeviceId.find("DEV_", nBus);
  size_t nFunc = nDev == std::string::npos ? nDev : strDeviceId.find("FUNC_", nDev);
  ULONG ulBus, ulDev, ulFunc;
  if (!HexAfter(strDeviceId, nBus, 4, ulBus) || !HexAfter(strDeviceId, nDev, 4, ulDev) ||
      !HexAfter(strDeviceId, nFunc, 5, ulFunc)) {
    return FALSE;
  }
  BYTE bLow = static_cast<BYTE>(((ulDev << 3) & 0xFF) | (ulFunc & 7));
  wAddress = static_cast<WORD>((static_cast<BYTE>(ulBus) << 8) | bLow);
  return TRUE;
}

BOOL CCmDevice::DerivePciAddress() {
  if (_stricmp(m_strEnumeratorName.c_str(), "PCI") != 0) return FALSE;
  if (m_strDeviceId.find("IRQHOLDER") != std::string::npos) return FALSE;
  if (!m_strLocationInfo.empty()) return ParsePciLocation(m_strLocationInfo, m_wPciAddress);
  if (!m_strDeviceId.empty()) return ParsePciInstance(m_strDeviceId, m_wPciAddress);
  return FALSE;
}
