/// CTime and CTimeSpan: 64-bit signed seconds (since 1970-01-01 00:00:00 UTC,
/// and a duration), stored in an archive as 8 bytes each.
#pragma once

#include "report/archive.h"

/// A length of time in seconds.
class CTimeSpan {
 public:
  constexpr CTimeSpan() = default;
  constexpr explicit CTimeSpan(LONGLONG nSeconds) : m_nSeconds(nSeconds) {}
  constexpr LONGLONG GetTotalSeconds() const { return m_nSeconds; }
  constexpr bool operator==(const CTimeSpan& other) const { return m_nSeconds == other.m_nSeconds; }
  constexpr bool operator!=(const CTimeSpan& other) const { return m_nSeconds != other.m_nSeconds; }

 private:
  LONGLONG m_nSeconds = 0;
};

/// A moment in seconds since 1970-01-01 00:00:00 UTC; 0 when unset.
class CTime {
 public:
  constexpr CTime() = default;
  constexpr explicit CTime(LONGLONG nTime) : m_nTime(nTime) {}
  constexpr LONGLONG GetTime() const { return m_nTime; }
  constexpr bool operator==(const CTime& other) const { return m_nTime == other.m_nTime; }
  constexpr bool operator!=(const CTime& other) const { return m_nTime != other.m_nTime; }
  constexpr CTime operator-(const CTimeSpan& span) const {
    return CTime(m_nTime - span.GetTotalSeconds());
  }

 private:
  LONGLONG m_nTime = 0;
};

inline CArchive& operator<<(CArchive& ar, const CTime& time) { return ar << time.GetTime(); }
inline CArchive& operator<<(CArchive& ar, const CTimeSpan& span) {
  return ar << span.GetTotalSeconds();
}
inline CArchive& operator>>(CArchive& ar, CTime& time) {
  LONGLONG nTime;
  ar >> nTime;
  time = CTime(nTime);
  return ar;
}
inline CArchive& operator>>(CArchive& ar, CTimeSpan& span) {
  LONGLONG nSeconds;
  ar >> nSeconds;
  span = CTimeSpan(nSeconds);
  return ar;
}
