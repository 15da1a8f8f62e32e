/// The archive: values, strings and object graphs written to or read from a
/// CFile through one buffer, in the byte format of the report streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "report/exceptions.h"
#include "report/file.h"
#include "report/object.h"
#include "report/pointer_index_map.h"

namespace archive_detail {
// bool and wchar_t change width (or meaning) between the Windows and Linux
// builds; a value written with them would not give the same bytes. (So does
// long, but on Linux it cannot be told apart from int64_t.)
template <class T>
constexpr bool kSameWidthEverywhere =
    sizeof(T) <= 8 && !std::is_same_v<T, bool> && !std::is_same_v<T, wchar_t>;
}  // namespace archive_detail

/// One archive in store or load mode over a CFile. All values are little-endian
/// and go through the buffer; the file is called only when the buffer is full
/// (store) or empty (load). Errors raise CArchiveException; after one, the
/// archive is only good for Abort.
///
/// Deep graphs: a record's object reference nests the referenced record, so a
/// chain of N elements written with WriteObject nests N calls deep. Nesting is
/// bounded by kMaxNesting (store: cause genericException, load: badIndex). Chains
/// use WriteTailObject/ReadTailObject for their last field instead, which the
/// archive performs after the record's Serialize has returned, giving the same
/// bytes at constant stack depth. A record whose chain link is not its last
/// field walks its objects itself with WriteObjectHeader/ReadObjectHeader.
class CArchive {
 public:
  /// The mode word: bit 0 set means load.
  enum Mode : UINT { store = 0, load = 1 };
  static constexpr UINT kDefaultBufferSize = 4096;
  /// Smallest buffer: the widest value (8 bytes) must fit.
  static constexpr UINT kMinBufferSize = 8;
  /// Deepest nesting of WriteObject/ReadObject calls that run a record. With
  /// sanitizers a small record takes about 600 bytes of stack a level, so this
  /// stays well inside a 1 MiB stack; records whose chains use tail references
  /// nest only a few levels.
  static constexpr int kMaxNesting = 500;

  /// What ReadObjectHeader found.
  struct LoadedRef {
    CObject* pObject;  // nullptr for a null reference
    bool bNew;         // a new object, whose record the caller must read now
  };

  CArchive(CFile* pFile, UINT nMode, UINT nBufSize = kDefaultBufferSize);
  /// Drops bytes not yet written, as Abort does; Close keeps them.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  CFile* GetFile() const { return m_pFile; }
  /// Offset in the file of the next byte to be written or read.
  ULONGLONG GetPosition() const;

  /// Store: writes the buffered bytes to the file.
  void Flush();
  /// Store: flushes; then detaches from the file (which stays open).
  void Close();
  /// Detaches from the file, dropping buffered bytes; never raises.
  void Abort();

  /// A value of 1, 2, 4 or 8 bytes (BYTE, WORD, DWORD, LONG, int32_t, ...).
  template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
  CArchive& operator<<(T value);
  template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
  CArchive& operator>>(T& value);

  /// Raw bytes.
  void Write(const void* lpBuf, UINT nCount);
  /// Raw bytes: exactly nCount, or endOfFile with nothing read.
  void Read(void* lpBuf, UINT nCount);
  /// Raises endOfFile unless nCount more bytes can be read. Records call it
  /// with a stored count before allocating a block of that size.
  void EnsureAvailable(ULONGLONG nCount);

  /// 8-bit text with its length prefix (1, 3 or 7 bytes).
  CArchive& operator<<(const std::string& str);
  /// 8-bit text, or UTF-16 text converted to the thread's ANSI code page.
  CArchive& operator>>(std::string& str);
  /// Lengths below this take one byte; 0xFF announces a longer form.
  static constexpr BYTE kShortStringLimit = 0xFF;

  /// An object reference: null, a back-reference, or a new object's class
  /// tag and record.
  void WriteObject(const CObject* pOb);
  CArchive& operator<<(const CObject* pOb) {
    WriteObject(pOb);
    return *this;
  }
  /// Reads an object reference; the object's class must derive from
  /// pClassRefRequested (nullptr accepts any). A new object belongs to the
  /// caller; if its record fails, it is deleted before the exception leaves.
  CObject* ReadObject(const CRuntimeClass* pClassRefRequested);

  /// Reads a reference to an object that the field owns: null or a new
  /// object, never one read before (badIndex), so a hostile file cannot give
  /// an object two owners or make ownership loop.
  template <class T>
  void ReadOwnedObject(T*& rpSlot);

  /// The last field of a record: a reference to the next element of a chain,
  /// written once the record's Serialize has returned. Nothing may follow it
  /// in the record (genericException otherwise).
  void WriteTailObject(const CObject* pOb);
  /// Reads the last field of a record into rpSlot, once the record's Serialize
  /// has returned. The slot owns its target: it is set before the target's
  /// record is read, so deleting the record that holds it cleans up after a
  /// failure, and a back-reference here is malformed (badIndex). Classes linked
  /// this way delete their chains iteratively, since chains may be long.
  template <class T>
  void ReadTailObject(T*& rpSlot);

  /// Gives pOb the next index (also when it already has one); later
  /// references to it use the newest index. Both directions count alike.
  void MapObject(const CObject* pOb);
  /// Load: the stored schema of the record being read, (UINT)-1 for the
  /// top-level record. Reading it resets it to (UINT)-1.
  UINT GetObjectSchema();

  /// Writes the tag of a reference (and the class record of a new class) and
  /// indexes a new object. Returns true for a new object, whose record the
  /// caller must write next.
  bool WriteObjectHeader(const CObject* pOb);
  /// Reads the tag of a reference (and class record); a new object is created
  /// and indexed, belongs to the caller from here on, and its stored schema is
  /// what GetObjectSchema answers.
  LoadedRef ReadObjectHeader(const CRuntimeClass* pClassRefRequested);

 private:
  struct NestingGuard;
  using AssignFn = void (*)(void* pSlot, CObject* pOb);

  // A tail reference requested by the record being written or read.
  struct PendingTail {
    bool bPending = false;
    ULONGLONG nPosition = 0;
    const CObject* pStore = nullptr;
    void* pSlot = nullptr;
    const CRuntimeClass* pClass = nullptr;
    AssignFn pfnAssign = nullptr;
  };

  // A class read on load, with its stored schema.
  struct LoadedClass {
    const CRuntimeClass* pClass;
    UINT nSchema;
  };

  void MakeRoomToWrite();
  void FillToRead(size_t nCount);
  void CheckCanWrite() const;
  void CheckCanRead() const;
  void Detach();

  void WriteStringAnyForm(const std::string& str);
  void ReadStringAnyForm(std::string& str);
  void WriteStringLength(size_t nLength);
  DWORD ReadStringLength(bool& bWide);
  std::string ReadWideText(DWORD nLength);

  DWORD NextIndex();
  void WriteIndexTag(DWORD nIndex, bool bClass);
  const CRuntimeClass* ReadClassRecord(UINT& nSchema);
  CObject* ReadReference(const CRuntimeClass* pClassRefRequested, bool bOwnedLink);
  void WriteRecords(const CObject* pFirst);
  void ReadRecords(CObject* pFirst);
  void TakeTail(PendingTail& tail);
  void ReadTail(void* pSlot, const CRuntimeClass* pClass, AssignFn pfnAssign);

  CFile* m_pFile;
  UINT m_nMode;
  UINT m_nBufSize;
  std::unique_ptr<BYTE[]> m_buffer;
  BYTE* m_pBufStart;
  BYTE* m_pBufCur;
  // In the wrong mode (and after Close) a limit is m_pBufStart, so the one
  // bounds test of every value also sends misuse to the slow path.
  BYTE* m_pWriteMax;
  BYTE* m_pReadMax;
  ULONGLONG m_nBufferOffset;  // file offset of m_pBufStart

  UINT m_nObjectSchema = static_cast<UINT>(-1);
  DWORD m_nMapCount = 1;  // next index; 0 stands for null
  PointerIndexMap m_storeMap;        // objects and classes
  // What each index names on load, in one word, since a hostile stream may
  // hold millions of objects of a few bytes each: 0 for index 0 (null), an
  // object's address (always even), or 2 x the class's position in
  // m_loadClasses + 1.
  std::vector<uintptr_t> m_loadMap;
  std::vector<LoadedClass> m_loadClasses;
  int m_nDepth = 0;
  PendingTail m_tail;
};

template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int>>
CArchive& CArchive::operator<<(T value) {
  static_assert(archive_detail::kSameWidthEverywhere<T>,
                "use BYTE, WORD, DWORD, LONG, BOOL or a fixed-width type");
  if (m_pWriteMax - m_pBufCur < static_cast<std::ptrdiff_t>(sizeof(T))) MakeRoomToWrite();
  std::memcpy(m_pBufCur, &value, sizeof(T));
  m_pBufCur += sizeof(T);
  return *this;
}

template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int>>
CArchive& CArchive::operator>>(T& value) {
  static_assert(archive_detail::kSameWidthEverywhere<T>,
                "use BYTE, WORD, DWORD, LONG, BOOL or a fixed-width type");
  if (m_pReadMax - m_pBufCur < static_cast<std::ptrdiff_t>(sizeof(T))) FillToRead(sizeof(T));
  std::memcpy(&value, m_pBufCur, sizeof(T));
  m_pBufCur += sizeof(T);
  return *this;
}

// Most texts are short: when the length byte and the text fit the buffer,
// one bounds test covers both.
inline CArchive& CArchive::operator<<(const std::string& str) {
  size_t nLength = str.size();
  if (nLength < kShortStringLimit &&
      m_pWriteMax - m_pBufCur > static_cast<std::ptrdiff_t>(nLength)) {
    *m_pBufCur++ = static_cast<BYTE>(nLength);
    std::memcpy(m_pBufCur, str.data(), nLength);
    m_pBufCur += nLength;
  } else {
    WriteStringAnyForm(str);
  }
  return *this;
}

inline CArchive& CArchive::operator>>(std::string& str) {
  std::ptrdiff_t nBuffered = m_pReadMax - m_pBufCur;
  if (nBuffered > 0 && *m_pBufCur < kShortStringLimit && nBuffered > *m_pBufCur) {
    str.assign(reinterpret_cast<const char*>(m_pBufCur) + 1, *m_pBufCur);
    m_pBufCur += 1 + *m_pBufCur;
  } else {
    ReadStringAnyForm(str);
  }
  return *this;
}

template <class T>
void CArchive::ReadOwnedObject(T*& rpSlot) {
  static_assert(std::is_base_of_v<CObject, T>, "an object reference names a serializable class");
  rpSlot = static_cast<T*>(ReadReference(T::GetThisClass(), true));
}

template <class T>
void CArchive::ReadTailObject(T*& rpSlot) {
  static_assert(std::is_base_of_v<CObject, T>, "a tail reference names a serializable class");
  ReadTail(&rpSlot, T::GetThisClass(),
           [](void* pSlot, CObject* pOb) { *static_cast<T**>(pSlot) = static_cast<T*>(pOb); });
}
