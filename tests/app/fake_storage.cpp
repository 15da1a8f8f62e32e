#include "tests/app/fake_storage.h"

#include <algorithm>

namespace tov::test {

class FakeStorage::Stream final : public IStream {
 public:
  Stream(FakeStorage& owner, size_t room) : owner_(owner), room_(room) { ++owner_.open_streams_; }
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) {
      --owner_.open_streams_;
      delete this;
    }
    return left;
  }
  HRESULT Read(void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT Write(const void*, ULONG cb, ULONG* written) override {
    size_t taken = std::min<size_t>(cb, room_ - size_);
    size_ += taken;
    if (written != nullptr) *written = static_cast<ULONG>(taken);
    return taken == cb ? S_OK : STG_E_MEDIUMFULL;
  }
  HRESULT Stat(STATSTG* st, DWORD) override {
    st->pwcsName = nullptr;
    st->type = STGTY_STREAM;
    st->cbSize.QuadPart = size_;
    return S_OK;
  }

 private:
  FakeStorage& owner_;
  size_t room_;
  size_t size_ = 0;
  ULONG refs_ = 1;
};

FakeStorage::FakeStorage(size_t stream_room, std::string refuse)
    : stream_room_(stream_room), refuse_(std::move(refuse)) {}

HRESULT FakeStorage::CreateStream(const OLECHAR* pwcsName, DWORD, DWORD, DWORD, IStream** ppstm) {
  std::string name;
  for (; *pwcsName != 0; ++pwcsName) name.push_back(static_cast<char>(*pwcsName));
  created_.push_back(name);
  *ppstm = name == refuse_ ? nullptr : new Stream(*this, stream_room_);
  return *ppstm != nullptr ? S_OK : STG_E_INSUFFICIENTMEMORY;
}

}  // namespace tov::test
