// Compound files through libgsf's MS-OLE writer and reader. The writer makes
// 512-byte sectors, streams in the order they were created, no class id.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/posix/src/fault_injection.h"
#include "win32_api.h"

const IID IID_IStorage = {0x0000000B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

// UTF-16 names of the interface to the UTF-8 names of the file system and of
// libgsf; an unpaired surrogate makes the name unusable.
bool ToUtf8(const WCHAR* name, std::string& out) {
  if (name == nullptr) return false;
  int n = WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, name, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return true;
}

LPOLESTR CopyName(const char* utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 0) return nullptr;
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof(WCHAR) * static_cast<size_t>(n)));
  if (out != nullptr) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, n);
  return out;
}

HRESULT FromError(const GError* error) {
  if (error != nullptr && error->domain == G_FILE_ERROR) {
    switch (error->code) {
      case G_FILE_ERROR_NOENT: return STG_E_PATHNOTFOUND;
      case G_FILE_ERROR_ACCES:
      case G_FILE_ERROR_PERM: return STG_E_ACCESSDENIED;
      case G_FILE_ERROR_NOSPC: return STG_E_MEDIUMFULL;
      default: break;
    }
  }
  return STG_E_WRITEFAULT;
}

// Reference counting shared by the objects below.
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

class WriteStorage;

class WriteStream final : public RefCounted<IStream> {
 public:
  WriteStream(WriteStorage* owner, GsfOutput* out);
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  HRESULT Read(void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT Write(const void* pv, ULONG cb, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (pv == nullptr) return STG_E_INVALIDPOINTER;
    DWORD fault = 0;
    if (tov::posix::FaultFires("IStream::Write", &fault)) return static_cast<HRESULT>(fault);
    if (!gsf_output_write(out_, cb, static_cast<const guint8*>(pv))) {
      return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
    }
    if (written != nullptr) *written = cb;
    return S_OK;
  }
  HRESULT Stat(STATSTG* st, DWORD) override {
    if (st == nullptr) return STG_E_INVALIDPOINTER;
    st->pwcsName = nullptr;
    st->type = STGTY_STREAM;
    st->cbSize.QuadPart = static_cast<ULONGLONG>(gsf_output_size(out_));
    return S_OK;
  }

 private:
  ~WriteStream() override;
  WriteStorage* owner_;
  GsfOutput* out_;
};

// The root storage of a file being written. Streams keep it alive, so the
// file is completed only after the last stream was released.
class WriteStorage final : public RefCounted<IStorage> {
 public:
  WriteStorage(GsfOutput* sink, GsfOutfile* root) : sink_(sink), root_(root) {}
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (riid != IID_IStorage) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IStorage*>(this);
    return S_OK;
  }
  HRESULT CreateStream(const OLECHAR* name, DWORD, DWORD, DWORD, IStream** stream) override {
    if (stream == nullptr) return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    std::string utf8;
    if (!ToUtf8(name, utf8) || utf8.empty() || utf8.size() > 31) return STG_E_INVALIDNAME;
    DWORD fault = 0;
    if (tov::posix::FaultFires("IStorage::CreateStream", &fault)) return static_cast<HRESULT>(fault);
    GsfOutput* out = gsf_outfile_new_child(root_, utf8.c_str(), FALSE);
    if (out == nullptr) return STG_E_INSUFFICIENTMEMORY;
    WriteStream* made = new (std::nothrow) WriteStream(this, out);
    if (made == nullptr) {
      gsf_output_close(out);
      g_object_unref(out);
      return STG_E_INSUFFICIENTMEMORY;
    }
    *stream = made;
    return S_OK;
  }
  HRESULT OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream** stream) override {
    if (stream != nullptr) *stream = nullptr;
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** e) override {
    if (e != nullptr) *e = nullptr;
    return STG_E_INVALIDFUNCTION;
  }

 private:
  ~WriteStorage() override {
    gsf_output_close(GSF_OUTPUT(root_));
    if (!gsf_output_is_closed(sink_)) gsf_output_close(sink_);
    g_object_unref(root_);
    g_object_unref(sink_);
  }
  GsfOutput* sink_;
  GsfOutfile* root_;
};

WriteStream::WriteStream(WriteStorage* owner, GsfOutput* out) : owner_(owner), out_(out) {
  owner_->AddRef();
}

WriteStream::~WriteStream() {
  gsf_output_close(out_);
  g_object_unref(out_);
  owner_->Release();
}

class ReadStream final : public RefCounted<IStream> {
 public:
  ReadStream(GsfInput* in, std::string name) : in_(in), name_(std::move(name)) {}
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  HRESULT Read(void* pv, ULONG cb, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if (pv == nullptr) return STG_E_INVALIDPOINTER;
    gsf_off_t left = gsf_input_remaining(in_);
    size_t n = left < static_cast<gsf_off_t>(cb) ? static_cast<size_t>(left) : cb;
    if (n > 0 && gsf_input_read(in_, n, static_cast<guint8*>(pv)) == nullptr) {
      return STG_E_READFAULT;
    }
    if (read != nullptr) *read = static_cast<ULONG>(n);
    return S_OK;
  }
  HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT Stat(STATSTG* st, DWORD flag) override {
    if (st == nullptr) return STG_E_INVALIDPOINTER;
    st->pwcsName = flag == STATFLAG_NONAME ? nullptr : CopyName(name_.c_str());
    st->type = STGTY_STREAM;
    st->cbSize.QuadPart = static_cast<ULONGLONG>(gsf_input_size(in_));
    return S_OK;
  }

 private:
  ~ReadStream() override { g_object_unref(in_); }
  GsfInput* in_;
  std::string name_;
};

class ElementEnum final : public RefCounted<IEnumSTATSTG> {
 public:
  struct Element {
    std::string name;
    DWORD type;
    ULONGLONG size;
  };
  explicit ElementEnum(std::vector<Element> elements) : elements_(std::move(elements)) {}
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  HRESULT Next(ULONG celt, STATSTG* out, ULONG* fetched) override {
    if (out == nullptr) return STG_E_INVALIDPOINTER;
    ULONG n = 0;
    for (; n < celt && next_ < elements_.size(); ++n, ++next_) {
      const Element& e = elements_[next_];
      out[n].pwcsName = CopyName(e.name.c_str());
      out[n].type = e.type;
      out[n].cbSize.QuadPart = e.size;
    }
    if (fetched != nullptr) *fetched = n;
    return n == celt ? S_OK : S_FALSE;
  }

 private:
  std::vector<Element> elements_;
  size_t next_ = 0;
};

class ReadStorage final : public RefCounted<IStorage> {
 public:
  explicit ReadStorage(GsfInfile* root) : root_(root) {}
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return STG_E_INVALIDPOINTER;
    *out = nullptr;
    if (riid != IID_IStorage) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IStorage*>(this);
    return S_OK;
  }
  HRESULT CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream** stream) override {
    if (stream != nullptr) *stream = nullptr;
    return STG_E_ACCESSDENIED;
  }
  HRESULT OpenStream(const OLECHAR* name, void*, DWORD, DWORD, IStream** stream) override {
    if (stream == nullptr) return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    std::string utf8;
    if (!ToUtf8(name, utf8)) return STG_E_INVALIDNAME;
    GsfInput* child = gsf_infile_child_by_name(root_, utf8.c_str());
    if (child == nullptr) return STG_E_FILENOTFOUND;
    if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
      g_object_unref(child);
      return STG_E_FILENOTFOUND;
    }
    *stream = new ReadStream(child, utf8);
    return S_OK;
  }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** out) override {
    if (out == nullptr) return STG_E_INVALIDPOINTER;
    std::vector<ElementEnum::Element> elements;
    int count = gsf_infile_num_children(root_);
    for (int i = 0; i < count; ++i) {
      GsfInput* child = gsf_infile_child_by_index(root_, i);
      if (child == nullptr) continue;
      bool storage = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
      elements.push_back({gsf_infile_name_by_index(root_, i), DWORD(storage ? STGTY_STORAGE : STGTY_STREAM),
                          static_cast<ULONGLONG>(gsf_input_size(child))});
      g_object_unref(child);
    }
    *out = new ElementEnum(std::move(elements));
    return S_OK;
  }

 private:
  ~ReadStorage() override { g_object_unref(root_); }
  GsfInfile* root_;
};

}  // namespace

void* CoTaskMemAlloc(size_t cb) { return std::malloc(cb); }
void CoTaskMemFree(void* pv) { std::free(pv); }

HRESULT StgCreateStorageEx(const WCHAR* pwcsName, DWORD grfMode, DWORD stgfmt, DWORD,
                           void*, PSECURITY_DESCRIPTOR, REFIID riid, void** ppObjectOpen) {
  if (ppObjectOpen == nullptr) return STG_E_INVALIDPOINTER;
  *ppObjectOpen = nullptr;
  if (stgfmt != STGFMT_STORAGE || riid != IID_IStorage) return STG_E_INVALIDFUNCTION;
  if ((grfMode & (STGM_WRITE | STGM_READWRITE)) == 0) return STG_E_INVALIDFLAG;
  DWORD fault = 0;
  if (tov::posix::FaultFires("StgCreateStorageEx", &fault)) return static_cast<HRESULT>(fault);
  std::string path;
  try {
    if (pwcsName == nullptr) {
      char temp[] = "./~tovXXXXXX";
      int fd = mkstemp(temp);
      if (fd < 0) return STG_E_ACCESSDENIED;
      close(fd);
      path = temp;
    } else if (!ToUtf8(pwcsName, path) || path.empty()) {
      return STG_E_INVALIDNAME;
    }
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  // Without STGM_CREATE an existing file is an error, as on the platform.
  if ((grfMode & STGM_CREATE) == 0 && pwcsName != nullptr && access(path.c_str(), F_OK) == 0) {
    return STG_E_FILEALREADYEXISTS;
  }
  InitGsf();
  GError* error = nullptr;
  GsfOutput* sink = gsf_output_stdio_new(path.c_str(), &error);
  if (sink == nullptr) {
    HRESULT hr = FromError(error);
    if (error != nullptr) g_error_free(error);
    return hr;
  }
  GsfOutfile* root = gsf_outfile_msole_new(sink);
  WriteStorage* storage = root != nullptr ? new (std::nothrow) WriteStorage(sink, root) : nullptr;
  if (storage == nullptr) {
    // Closed with an error, the sink removes its temporary file and leaves
    // any file of that name as it was.
    if (root != nullptr) g_object_unref(root);
    gsf_output_set_error(sink, 0, "out of memory");
    gsf_output_close(sink);
    g_object_unref(sink);
    return STG_E_INSUFFICIENTMEMORY;
  }
  *ppObjectOpen = static_cast<IStorage*>(storage);
  return S_OK;
}

HRESULT StgOpenStorage(const WCHAR* pwcsName, IStorage*, DWORD, SNB, DWORD,
                       IStorage** ppstgOpen) {
  if (ppstgOpen == nullptr) return STG_E_INVALIDPOINTER;
  *ppstgOpen = nullptr;
  std::string path;
  if (!ToUtf8(pwcsName, path) || path.empty()) return STG_E_INVALIDNAME;
  InitGsf();
  GError* error = nullptr;
  GsfInput* input = gsf_input_stdio_new(path.c_str(), &error);
  if (input == nullptr) {
    HRESULT hr = error != nullptr && error->domain == G_FILE_ERROR && error->code == G_FILE_ERROR_NOENT
                     ? STG_E_FILENOTFOUND
                     : STG_E_ACCESSDENIED;
    if (error != nullptr) g_error_free(error);
    return hr;
  }
  GsfInfile* root = gsf_infile_msole_new(input, &error);
  g_object_unref(input);
  if (root == nullptr) {
    if (error != nullptr) g_error_free(error);
    return STG_E_INVALIDHEADER;
  }
  *ppstgOpen = new ReadStorage(root);
  return S_OK;
}
