#include "storage_sample.h"

namespace tov::test {

std::vector<SampleStream> SampleStreams() {
  std::string every;
  for (int i = 0; i < 256; ++i) every.push_back(static_cast<char>(i));
  std::string big;
  for (int i = 0; i < 70000; ++i) big.push_back(static_cast<char>('A' + i % 23));
  return {{u"DevMan", ""},
          {u"Services", "\x01\x02\x03"},
          {u"EvLog_System", std::string(4096, 'x')},
          {u"EvLog_Norvan", big},
          {u"EvLog_Security", every}};
}

HRESULT WriteSample(const std::u16string& path) {
  IStorage* storage = nullptr;
  HRESULT hr = StgCreateStorageEx(reinterpret_cast<const WCHAR*>(path.c_str()),
                                  STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                  STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                  reinterpret_cast<void**>(&storage));
  if (FAILED(hr)) return hr;
  for (const SampleStream& s : SampleStreams()) {
    IStream* stream = nullptr;
    hr = storage->CreateStream(reinterpret_cast<const WCHAR*>(s.name.c_str()),
                               STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, &stream);
    if (FAILED(hr)) break;
    ULONG written = 0;
    if (!s.bytes.empty()) hr = stream->Write(s.bytes.data(), static_cast<ULONG>(s.bytes.size()), &written);
    stream->Release();
    if (FAILED(hr)) break;
  }
  storage->Release();
  return hr;
}

}  // namespace tov::test
