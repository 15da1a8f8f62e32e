/// The record of the computer as a whole that travels with the device tree:
/// its name, its Windows directory, and the platform's processor and
/// operating-system version structures kept as opaque byte blocks.
#pragma once

#include <memory>
#include <string>

#include "report/archive.h"
#include "report/object.h"
#include "win32_api.h"

/// Bytes of the processor block: SYSTEM_INFO as the 32-bit platform lays it
/// out, which every build stores so that readers see one layout.
constexpr ULONG kSystemInfoBytes = 36;
/// Bytes of the version block: OSVERSIONINFOEXA (the same on every build).
constexpr ULONG kVersionInfoExBytes = 156;
/// The plain OSVERSIONINFOA, offered when the extended size is refused.
constexpr ULONG kVersionInfoBytes = 148;

/// The computer and operating-system record. A block is either absent (null,
/// count 0) or holds exactly its count of bytes.
class CSystemInfo : public CObject {
  DECLARE_SERIAL(CSystemInfo)

 public:
  CSystemInfo() = default;
  CSystemInfo(const CSystemInfo&) = delete;
  CSystemInfo& operator=(const CSystemInfo&) = delete;

  /// Fills every member from the running system; always TRUE.
  BOOL Collect();
  void Serialize(CArchive& ar) override;

  std::string m_strComputerName;
  std::string m_strWindowsDir;
  std::unique_ptr<BYTE[]> m_pSystemInfo;
  ULONG m_cbSystemInfo = 0;
  std::unique_ptr<BYTE[]> m_pVersionInfo;
  ULONG m_cbVersionInfo = 0;
};

/// Writes si into a 36-byte block in the 32-bit platform's layout; on a
/// 64-bit build the two addresses and the processor mask keep their low 32 bits.
void StoreSystemInfo32(const SYSTEM_INFO& si, BYTE* pBlock);
