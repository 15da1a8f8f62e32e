/// Structured storage: compound files with streams, in the published
/// compound-file format (512-byte sectors). The interfaces keep the shape and
/// the method names the program calls; reference counting is as documented.
#pragma once

#include "win32/base_types.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef void* PSECURITY_DESCRIPTOR;
typedef OLECHAR** SNB;

union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};

#define STGM_READ 0x00000000L
#define STGM_WRITE 0x00000001L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_DENY_NONE 0x00000040L
#define STGM_SHARE_DENY_READ 0x00000030L
#define STGM_SHARE_DENY_WRITE 0x00000020L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_CREATE 0x00001000L
#define STGM_DIRECT 0x00000000L
#define STGM_TRANSACTED 0x00010000L

#define STGFMT_STORAGE 0

#define STGTY_STORAGE 1
#define STGTY_STREAM 2

#define STATFLAG_DEFAULT 0
#define STATFLAG_NONAME 1

#define STG_E_FILENOTFOUND ((HRESULT)0x80030002L)
#define STG_E_PATHNOTFOUND ((HRESULT)0x80030003L)
#define STG_E_ACCESSDENIED ((HRESULT)0x80030005L)
#define STG_E_INVALIDPOINTER ((HRESULT)0x80030009L)
#define STG_E_INSUFFICIENTMEMORY ((HRESULT)0x80030008L)
#define STG_E_WRITEFAULT ((HRESULT)0x8003001DL)
#define STG_E_READFAULT ((HRESULT)0x8003001EL)
#define STG_E_MEDIUMFULL ((HRESULT)0x80030070L)
#define STG_E_FILEALREADYEXISTS ((HRESULT)0x80030050L)
#define STG_E_INVALIDFLAG ((HRESULT)0x800300FFL)
#define STG_E_INVALIDFUNCTION ((HRESULT)0x80030001L)
#define STG_E_INVALIDNAME ((HRESULT)0x800300FCL)
#define STG_E_INVALIDHEADER ((HRESULT)0x800300FBL)
#define STG_E_REVERTED ((HRESULT)0x80030102L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)

/// What Stat reports of a storage element.
struct STATSTG {
  LPOLESTR pwcsName;  // allocated with CoTaskMemAlloc; the caller frees it
  DWORD type;
  ULARGE_INTEGER cbSize;
};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

 protected:
  ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

 protected:
  ~IStream() = default;
};

struct IEnumSTATSTG : IUnknown {
  /// The next `celt` elements; S_FALSE when fewer were left.
  virtual HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) = 0;

 protected:
  ~IEnumSTATSTG() = default;
};

struct IStorage : IUnknown {
  virtual HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                               DWORD reserved2, IStream** ppstm) = 0;
  virtual HRESULT OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode,
                             DWORD reserved2, IStream** ppstm) = 0;
  /// The elements directly below this storage, in directory order.
  virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                               IEnumSTATSTG** ppenum) = 0;

 protected:
  ~IStorage() = default;
};

extern const IID IID_IStorage;

/// Creates a compound file (STGM_CREATE replaces an existing one) opened for
/// writing in direct mode: each stream's bytes are in the file once the
/// stream and then the root storage have been released. The file appears
/// under its name only when the root storage is released; until then it is
/// written under a temporary name beside it. A null name makes a file of a
/// temporary name in the current directory.
HRESULT StgCreateStorageEx(const WCHAR* pwcsName, DWORD grfMode, DWORD stgfmt, DWORD grfAttrs,
                           void* pStgOptions, PSECURITY_DESCRIPTOR pSecurityDescriptor,
                           REFIID riid, void** ppObjectOpen);

/// Opens a compound file for reading.
HRESULT StgOpenStorage(const WCHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                       SNB snbExclude, DWORD reserved, IStorage** ppstgOpen);

void* CoTaskMemAlloc(size_t cb);
void CoTaskMemFree(void* pv);
