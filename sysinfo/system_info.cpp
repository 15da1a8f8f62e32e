// Collection and archive record of the computer and operating-system record.
#include "sysinfo/system_info.h"

#include <cstring>
#include <new>
#include <type_traits>

IMPLEMENT_SERIAL(CSystemInfo, CObject, VERSIONABLE_SCHEMA | 1)

static_assert(sizeof(OSVERSIONINFOEXA) == kVersionInfoExBytes &&
                  sizeof(OSVERSIONINFOA) == kVersionInfoBytes,
              "the version structures have one size on every build");

namespace {

// Byte offset of the service-pack text in the version structures.
constexpr size_t kCsdVersionOffset = 20;

// A pointer-sized or 32-bit field of SYSTEM_INFO as the 32-bit value it is in
// the 32-bit layout.
template <class T>
DWORD Low32(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(value));
  } else {
    return static_cast<DWORD>(value);
  }
}

template <class T>
void Put(BYTE* pBlock, size_t nOffset, T value) {
  std::memcpy(pBlock + nOffset, &value, sizeof(value));
}

// The text a string call left in its buffer, up to its NUL (the buffer is
// zeroed first, so a failed call gives an empty text).
std::string TextOf(const char* pBuffer, size_t nSize) {
  return std::string(pBuffer, strnlen(pBuffer, nSize));
}

// A zeroed block of nBytes, or null when memory cannot be had.
std::unique_ptr<BYTE[]> NewZeroedBlock(ULONG nBytes) {
  std::unique_ptr<BYTE[]> pBlock(new (std::nothrow) BYTE[nBytes]);
  if (pBlock) std::memset(pBlock.get(), 0, nBytes);
  return pBlock;
}

void StoreBlock(CArchive& ar, const std::unique_ptr<BYTE[]>& pBlock, ULONG cbBlock) {
  ar << cbBlock;
  if (cbBlock != 0) ar.Write(pBlock.get(), cbBlock);
}

void LoadBlock(CArchive& ar, std::unique_ptr<BYTE[]>& pBlock, ULONG& cbBlock) {
  ULONG cbStored;
  ar >> cbStored;
  pBlock.reset();
  cbBlock = 0;
  if (cbStored == 0) return;
  // A count the stream cannot hold fails before anything is allocated.
  ar.EnsureAvailable(cbStored);
  pBlock.reset(new BYTE[cbStored]());
  ar.Read(pBlock.get(), cbStored);
  cbBlock = cbStored;
}

}  // namespace

void StoreSystemInfo32(const SYSTEM_INFO& si, BYTE* pBlock) {
  Put(pBlock, 0, si.dwOemId);
  Put(pBlock, 4, si.dwPageSize);
  Put(pBlock, 8, Low32(si.lpMinimumApplicationAddress));
  Put(pBlock, 12, Low32(si.lpMaximumApplicationAddress));
  Put(pBlock, 16, Low32(si.dwActiveProcessorMask));
  Put(pBlock, 20, si.dwNumberOfProcessors);
  Put(pBlock, 24, si.dwProcessorType);
  Put(pBlock, 28, si.dwAllocationGranularity);
  Put(pBlock, 32, si.wProcessorLevel);
  Put(pBlock, 34, si.wProcessorRevision);
}

BOOL CSystemInfo::Collect() {
  char szComputerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD nSize = sizeof(szComputerName);
  GetComputerNameA(szComputerName, &nSize);
  m_strComputerName = TextOf(szComputerName, sizeof(szComputerName));

  char szWindowsDir[MAX_PATH] = {};
  GetWindowsDirectoryA(szWindowsDir, sizeof(szWindowsDir));
  m_strWindowsDir = TextOf(szWindowsDir, sizeof(szWindowsDir));

  m_pSystemInfo = NewZeroedBlock(kSystemInfoBytes);
  m_cbSystemInfo = m_pSystemInfo ? kSystemInfoBytes : 0;
  if (m_pSystemInfo) {
    SYSTEM_INFO si = {};
    GetSystemInfo(&si);
    StoreSystemInfo32(si, m_pSystemInfo.get());
  }

  m_pVersionInfo = NewZeroedBlock(kVersionInfoExBytes);
  m_cbVersionInfo = m_pVersionInfo ? kVersionInfoExBytes : 0;
  if (!m_pVersionInfo) return TRUE;
  auto* pVersion = reinterpret_cast<OSVERSIONINFOA*>(m_pVersionInfo.get());
  // Older systems know only the plain structure; the block stays 156 bytes
  // then, with 148 in its size field and its extended part zero.
  pVersion->dwOSVersionInfoSize = kVersionInfoExBytes;
  if (!GetVersionExA(pVersion)) {
    pVersion->dwOSVersionInfoSize = kVersionInfoBytes;
    if (!GetVersionExA(pVersion)) {
      m_pVersionInfo.reset();
      m_cbVersionInfo = 0;
      return TRUE;
    }
  }
  // A platform other than the NT family fills the service-pack field with
  // text that is not a service pack.
  if ((GetVersion() & 0x80000000u) != 0) m_pVersionInfo[kCsdVersionOffset] = 0;
  return TRUE;
}

void CSystemInfo::Serialize(CArchive& ar) {
  ar.GetObjectSchema();
  if (ar.IsStoring()) {
    ar << m_strComputerName << m_strWindowsDir;
    StoreBlock(ar, m_pSystemInfo, m_cbSystemInfo);
    StoreBlock(ar, m_pVersionInfo, m_cbVersionInfo);
  } else {
    ar >> m_strComputerName >> m_strWindowsDir;
    LoadBlock(ar, m_pSystemInfo, m_cbSystemInfo);
    LoadBlock(ar, m_pVersionInfo, m_cbVersionInfo);
  }
}
