#include "tests/app/compound_file_reader.h"

#include "report/com_ref.h"

namespace tov::test {

namespace {

std::basic_string<WCHAR> Widen(const std::string& text) {
  std::basic_string<WCHAR> out;
  for (char c : text) out.push_back(static_cast<WCHAR>(static_cast<unsigned char>(c)));
  return out;
}

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

bool ReadStream(IStorage& storage, const WCHAR* name, std::vector<BYTE>& bytes) {
  IStream* raw = nullptr;
  if (FAILED(storage.OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &raw))) {
    return false;
  }
  ComRef<IStream> stream(raw);
  BYTE buffer[4096];
  for (;;) {
    ULONG n = 0;
    if (FAILED(stream->Read(buffer, sizeof buffer, &n))) return false;
    if (n == 0) return true;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

}  // namespace

bool ReadCompoundFile(const std::string& path, std::vector<StoredStream>& streams) {
  streams.clear();
  IStorage* raw = nullptr;
  if (FAILED(StgOpenStorage(Widen(path).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr,
                            0, &raw))) {
    return false;
  }
  ComRef<IStorage> storage(raw);
  IEnumSTATSTG* raw_enum = nullptr;
  if (FAILED(storage->EnumElements(0, nullptr, 0, &raw_enum))) return false;
  ComRef<IEnumSTATSTG> elements(raw_enum);
  STATSTG stat;
  ULONG fetched = 0;
  while (elements->Next(1, &stat, &fetched) == S_OK && fetched == 1) {
    StoredStream stream{Narrow(stat.pwcsName), {}};
    bool ok = stat.type == STGTY_STREAM && ReadStream(*storage, stat.pwcsName, stream.bytes);
    CoTaskMemFree(stat.pwcsName);
    if (!ok) return false;
    streams.push_back(std::move(stream));
  }
  return true;
}

const StoredStream* FindStream(const std::vector<StoredStream>& streams, const std::string& name) {
  for (const StoredStream& s : streams) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

}  // namespace tov::test
