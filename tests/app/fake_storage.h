// A compound file in memory whose streams take a fixed number of bytes and
// then refuse more, as a full disk does, and which can refuse to make a
// stream. It counts the streams still referenced. Linux only.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tov::test {

class FakeStorage : public IStorage {
 public:
  explicit FakeStorage(size_t stream_room, std::string refuse = {});

  /// A new reference for an owner that releases it.
  IStorage* Share() {
    AddRef();
    return this;
  }
  /// Names of the streams made, in order.
  const std::vector<std::string>& Created() const { return created_; }
  int OpenStreams() const { return open_streams_; }

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override { return --refs_; }  // the test owns the object
  HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                       IStream** ppstm) override;
  HRESULT OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return STG_E_INVALIDFUNCTION; }

 private:
  class Stream;
  size_t stream_room_;
  std::string refuse_;
  std::vector<std::string> created_;
  int open_streams_ = 0;
  ULONG refs_ = 1;
};

}  // namespace tov::test
