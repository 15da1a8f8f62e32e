#include "hostile_files.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tovdump::test {

namespace {

// Little-endian builder of stream bytes.
struct Bytes {
  std::vector<BYTE> b;
  Bytes& U8(BYTE v) { return b.push_back(v), *this; }
  Bytes& U16(WORD v) { return U8(BYTE(v)).U8(BYTE(v >> 8)); }
  Bytes& U32(DWORD v) { return U16(WORD(v)).U16(WORD(v >> 16)); }
  Bytes& Str(const std::string& s) {
    U8(static_cast<BYTE>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& NewClass(WORD wSchema, const std::string& name) {
    U16(0xFFFF).U16(wSchema).U16(static_cast<WORD>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    return *this;
  }
  Bytes& Raw(const std::vector<BYTE>& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
};

// The fields of an inventory before its first reference (the inventory
// registers itself as index 1).
Bytes ServicesHead() { return Bytes().Str("").Str("").U32(0).U32(1); }

// One service record up to and including its version flag (schema 2).
Bytes ServiceBody() {
  Bytes s;
  s.Str("svc").Str("").Str("");
  s.b.resize(s.b.size() + 28);  // SERVICE_STATUS
  s.U32(0x10).U32(2).U32(1).Str("").Str("").U32(0).Str("").Str("").Str("").U32(0);
  return s;
}

// The fields of an event log before its first reference.
Bytes LogHead(DWORD nCount) {
  Bytes s;
  s.Str("").Str("System");
  s.U32(0).U32(0).U32(0x60).U32(0).U32(0).U32(0).U32(0).U32(200).U32(nCount);
  return s;
}

uint32_t Get32(const std::vector<BYTE>& f, size_t at) {
  uint32_t v;
  std::memcpy(&v, &f[at], 4);
  return v;
}
void Set32(std::vector<BYTE>& f, size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); }

// Where things are in a valid version-3 compound file of 512-byte sectors
// whose allocation table sectors are all listed in the header.
struct Layout {
  explicit Layout(const std::vector<BYTE>& f) : file(f) {
    dirSector = Get32(f, 0x30);
    dirOffset = (size_t(dirSector) + 1) * 512;
  }
  size_t FatEntry(uint32_t n) const {
    const uint32_t nFatSector = Get32(file, 0x4C + 4 * (n / 128));
    return (size_t(nFatSector) + 1) * 512 + 4 * size_t(n % 128);
  }
  // The directory entry whose name is `name`.
  size_t Entry(const std::vector<BYTE>& f, const std::string& name) const {
    for (uint32_t n = dirSector; n != 0xFFFFFFFE; n = Get32(file, FatEntry(n))) {
      for (size_t i = 0; i < 4; ++i) {
        size_t at = (size_t(n) + 1) * 512 + 128 * i;
        std::string entryName;
        for (size_t c = 0; c < 31 && f[at + 2 * c] != 0; ++c) entryName += static_cast<char>(f[at + 2 * c]);
        if (entryName == name) return at;
      }
    }
    throw std::runtime_error("no directory entry " + name);
  }
  size_t EntryId(size_t nAt) const {
    size_t nId = 0;
    for (uint32_t n = dirSector;; n = Get32(file, FatEntry(n)), nId += 4) {
      size_t nStart = (size_t(n) + 1) * 512;
      if (nAt >= nStart && nAt < nStart + 512) return nId + (nAt - nStart) / 128;
    }
  }
  const std::vector<BYTE>& file;
  uint32_t dirSector;
  size_t dirOffset;
};

}  // namespace

std::vector<BYTE> EventChainStream(size_t nEvents) {
  Bytes s = LogHead(static_cast<DWORD>(nEvents));
  // The first event carries the class record (index 2, the event 3); each
  // next one is a new object of class 2, announced by the tag 0x8002.
  for (size_t i = 0; i < nEvents; ++i) {
    if (i == 0) {
      s.NewClass(1, "CElEvent");
    } else {
      s.U16(0x8002);
    }
    s.U32(0).Str("").Str("").Str("");
  }
  s.U16(0);  // the last event's next
  // The last reference: the index of the last event (3, 4, ...), which may
  // need the long form.
  DWORD nLast = static_cast<DWORD>(nEvents == 0 ? 0 : 2 + nEvents);
  if (nLast < 0x7FFF) {
    s.U16(static_cast<WORD>(nLast));
  } else {
    s.U16(0x7FFF).U32(nLast);
  }
  return s.b;
}

std::vector<HostileStream> HostileStreams() {
  std::vector<HostileStream> cases;
  const char* kPastEnd = "Attempted to access %1 past its end.";
  const char* kBadFormat = "%1 has a bad format.";
  const char* kUnexpected = "%1 contained an unexpected object.";
  cases.push_back({"string length 0xFFFFFFFE", "EvLog_System",
                   Bytes().U8(0xFF).U16(0xFFFF).U32(0xFFFFFFFE).U8('x').b, kPastEnd});
  cases.push_back({"wide string with an odd byte count left", "EvLog_System",
                   Bytes().U8(0xFF).U16(0xFFFE).U8(3).U8('a').U8(0).U8('b').U8(0).U8('c').b, kPastEnd});
  cases.push_back({"event record length 2^32-1", "EvLog_System",
                   LogHead(1).NewClass(1, "CElEvent").U32(0xFFFFFFFF).b, kPastEnd});
  cases.push_back({"event record length below its own size", "EvLog_System",
                   LogHead(1).NewClass(1, "CElEvent").U32(3).b, kBadFormat});
  cases.push_back({"object index that names nothing", "Services", ServicesHead().U16(0x0005).b, kBadFormat});
  cases.push_back({"class index that names nothing", "Services", ServicesHead().U16(0x8009).b, kBadFormat});
  // Index 1 is the inventory itself: an object where a class is expected.
  cases.push_back({"class tag naming an object", "Services", ServicesHead().U16(0x8001).b, kBadFormat});
  // Index 2 is the class of the first service: a class where an object is expected.
  cases.push_back({"object tag naming a class", "Services",
                   ServicesHead().NewClass(2, "CSCMService").Raw(ServiceBody().b).U16(0).U16(0x0002).b,
                   kBadFormat});
  cases.push_back({"unknown class name", "Services", ServicesHead().NewClass(1, "CUnknown").b, kUnexpected});
  cases.push_back({"wrong class for the slot", "Services", ServicesHead().NewClass(1, "CElEvent").b, kUnexpected});
  cases.push_back({"class name longer than the stream", "Services",
                   ServicesHead().U16(0xFFFF).U16(1).U16(0xFFFF).U8('C').b, kUnexpected});
  cases.push_back({"last service outside the chain", "Services",
                   ServicesHead().U16(0).NewClass(2, "CSCMService").b, kBadFormat});
  cases.push_back({"version record named twice", "Services",
                   ServicesHead().NewClass(2, "CSCMService").Raw(ServiceBody().b).U32(1).U16(0x0001).b,
                   kUnexpected});
  cases.push_back({"processor block of 2^32-1 bytes", "DevMan",
                   Bytes().U16(0x400).U32(0).U16(0).NewClass(1, "CSystemInfo").Str("WS01").Str("C:\\").U32(0xFFFFFFFF).b,
                   kPastEnd});
  cases.push_back({"empty stream", "DevMan", {}, kPastEnd});
  return cases;
}

std::vector<HostileContainer> HostileContainers(const std::vector<BYTE>& valid) {
  const Layout at(valid);
  std::vector<HostileContainer> cases;
  auto add = [&](std::string name, auto mutate) {
    std::vector<BYTE> f = valid;
    mutate(f);
    cases.push_back({std::move(name), std::move(f)});
  };
  add("directory chain loops", [&](std::vector<BYTE>& f) { Set32(f, at.FatEntry(at.dirSector), at.dirSector); });
  add("directory sector out of range", [&](std::vector<BYTE>& f) { Set32(f, 0x30, 0x00FFFFF0); });
  add("table sector out of range", [&](std::vector<BYTE>& f) { Set32(f, 0x4C, 0x00FFFFF0); });
  add("table sector count beyond the file", [&](std::vector<BYTE>& f) { Set32(f, 0x2C, 0x7FFFFFFF); });
  add("table index chain loops", [&](std::vector<BYTE>& f) {
    Set32(f, 0x2C, 240);  // more table sectors than the header and one index sector hold
    Set32(f, 0x44, at.dirSector);
    Set32(f, at.dirOffset + 508, at.dirSector);
  });
  add("directory loops", [&](std::vector<BYTE>& f) {
    size_t e = at.Entry(f, "DevMan");
    // The entry names the root's first child as its own left sibling.
    Set32(f, e + 0x44, Get32(f, at.dirOffset + 0x4C));
    Set32(f, at.dirOffset + 0x4C, static_cast<uint32_t>(at.EntryId(e)));
  });
  add("directory names an entry that does not exist",
      [&](std::vector<BYTE>& f) { Set32(f, at.Entry(f, "DevMan") + 0x48, 0x00FFFFF0); });
  add("stream chain loops", [&](std::vector<BYTE>& f) {
    uint32_t nStart = Get32(f, at.Entry(f, "DevMan") + 0x74);
    Set32(f, at.FatEntry(nStart), nStart);
  });
  add("stream sector out of range", [&](std::vector<BYTE>& f) { Set32(f, at.Entry(f, "DevMan") + 0x74, 0x00FFFFF0); });
  add("stream larger than the file", [&](std::vector<BYTE>& f) { Set32(f, at.Entry(f, "DevMan") + 0x78, 0x7FFFFFF0); });
  add("bad byte order", [&](std::vector<BYTE>& f) { f[0x1C] = 0; });
  add("unknown sector size", [&](std::vector<BYTE>& f) { f[0x1E] = 20; });
  return cases;
}

std::vector<BYTE> StrayMiniTableEntry(const std::vector<BYTE>& valid) {
  std::vector<BYTE> f = valid;
  const size_t nMiniTable = (size_t(Get32(f, 0x3C)) + 1) * 512;
  Set32(f, nMiniTable + 4 * 127, 0x00FFFF00);
  return f;
}

std::vector<BYTE> ReadFileBytes(const std::string& strPath) {
  std::ifstream in(strPath, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& strPath, const std::vector<BYTE>& bytes) {
  std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tovdump::test
