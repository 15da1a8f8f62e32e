// Every walk here is bounded by the number of sectors or entries in the file,
// and every index is tested before it is used, so the check itself is linear
// in the file size whatever the bytes say.
#include "tools/tovdump/cfb_check.h"

#include <cstring>

namespace tovdump {

namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr size_t kHeaderDifatEntries = 109;
constexpr size_t kDirEntrySize = 128;
constexpr uint32_t kMiniSectorSize = 64;

enum EntryType : uint8_t { kUnused = 0, kStorage = 1, kStream = 2, kRoot = 5 };

struct Damaged {
  std::string strProblem;
};

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

class Checker {
 public:
  explicit Checker(const std::vector<uint8_t>& file) : m_file(file) {}

  void Run() {
    ReadHeader();
    ReadFat();
    std::vector<uint32_t> dirChain = Chain(m_fat, Le32(&m_file[0x30]), "directory", m_nSectors, m_owned);
    if (dirChain.empty()) throw Damaged{"the directory is empty"};
    ReadDirectory(dirChain);
    ReadMiniFat();
    WalkTree();
  }

 private:
  void ReadHeader() {
    if (Le16(&m_file[0x1C]) != 0xFFFE) throw Damaged{"the header's byte order mark is wrong"};
    const uint16_t wMajor = Le16(&m_file[0x1A]);
    const uint16_t wShift = Le16(&m_file[0x1E]);
    if (!((wMajor == 3 && wShift == 9) || (wMajor == 4 && wShift == 12))) {
      throw Damaged{"the header names an unknown version or sector size"};
    }
    if (Le16(&m_file[0x20]) != 6) throw Damaged{"the header names a wrong mini sector size"};
    if (Le32(&m_file[0x38]) != 4096) throw Damaged{"the header names a wrong mini stream cutoff"};
    m_bVersion3 = wMajor == 3;
    m_nSectorSize = 1u << wShift;
    if (m_file.size() < m_nSectorSize) throw Damaged{"the file ends inside its header"};
    // Only whole sectors count; a chain into a cut-off last sector would read
    // past the end of the file.
    const size_t nWhole = (m_file.size() - m_nSectorSize) / m_nSectorSize;
    m_nSectors = static_cast<uint32_t>(nWhole < kMaxRegularSector ? nWhole : kMaxRegularSector);
  }

  const uint8_t* Sector(uint32_t n) const { return &m_file[(size_t(n) + 1) * m_nSectorSize]; }

  void CheckSectorIndex(uint32_t n, const char* what) const {
    if (n >= m_nSectors) throw Damaged{std::string(what) + " names a sector beyond the end of the file"};
  }

  // The sectors of the allocation table, from the header's 109 entries and
  // the chain of index sectors that continues them.
  void ReadFat() {
    const uint32_t nFatSectors = Le32(&m_file[0x2C]);
    if (nFatSectors > m_nSectors) throw Damaged{"the header counts more table sectors than the file has"};
    std::vector<uint32_t> fatSectors;
    for (size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < nFatSectors; ++i) {
      fatSectors.push_back(Le32(&m_file[0x4C + 4 * i]));
    }
    const uint32_t nPerDifat = m_nSectorSize / 4 - 1;
    uint32_t nDifat = Le32(&m_file[0x44]);
    std::vector<bool> seen(m_nSectors, false);
    while (fatSectors.size() < nFatSectors) {
      CheckSectorIndex(nDifat, "the table index");
      if (seen[nDifat]) throw Damaged{"the chain of the table index loops"};
      seen[nDifat] = true;
      const uint8_t* p = Sector(nDifat);
      for (uint32_t i = 0; i < nPerDifat && fatSectors.size() < nFatSectors; ++i) {
        fatSectors.push_back(Le32(p + 4 * i));
      }
      nDifat = Le32(p + 4 * nPerDifat);
    }
    m_owned.assign(m_nSectors, false);
    m_fat.reserve(size_t(nFatSectors) * (m_nSectorSize / 4));
    for (uint32_t n : fatSectors) {
      CheckSectorIndex(n, "the table index");
      const uint8_t* p = Sector(n);
      for (uint32_t i = 0; i < m_nSectorSize / 4; ++i) m_fat.push_back(Le32(p + 4 * i));
    }
  }

  // The sectors of a chain in table `fat` (the allocation table, or the mini
  // table for mini sectors, whose count is `nLimit`). No sector belongs to two
  // chains (nor twice to one, which is how a loop shows), so all walks
  // together take each sector once and the check stays linear.
  std::vector<uint32_t> Chain(const std::vector<uint32_t>& fat, uint32_t nStart, const char* what,
                              uint32_t nLimit, std::vector<bool>& owned) const {
    std::vector<uint32_t> chain;
    for (uint32_t n = nStart; n != kEndOfChain;) {
      if (n >= nLimit || n >= fat.size() || n >= owned.size()) {
        throw Damaged{std::string("the chain of the ") + what + " names a sector out of range"};
      }
      if (owned[n]) throw Damaged{std::string("the chain of the ") + what + " loops or crosses another"};
      owned[n] = true;
      chain.push_back(n);
      n = fat[n];
    }
    return chain;
  }

  void ReadDirectory(const std::vector<uint32_t>& dirChain) {
    const size_t nPerSector = m_nSectorSize / kDirEntrySize;
    m_entries.reserve(dirChain.size() * nPerSector);
    for (uint32_t n : dirChain) {
      for (size_t i = 0; i < nPerSector; ++i) m_entries.push_back(Sector(n) + i * kDirEntrySize);
    }
    const uint8_t* root = m_entries[0];
    if (root[0x42] != kRoot) throw Damaged{"the first directory entry is not the root"};
  }

  uint64_t EntrySize(const uint8_t* e) const {
    // Version 3 files keep only 32 bits; writers leave the rest undefined.
    return m_bVersion3 ? Le32(e + 0x78) : (uint64_t(Le32(e + 0x7C)) << 32 | Le32(e + 0x78));
  }

  void ReadMiniFat() {
    const uint8_t* root = m_entries[0];
    const uint64_t nMiniStream = EntrySize(root);
    const uint32_t nStart = Le32(root + 0x74);
    if (nMiniStream == 0) return;
    std::vector<uint32_t> miniChain = Chain(m_fat, nStart, "mini stream", m_nSectors, m_owned);
    if (uint64_t(miniChain.size()) * m_nSectorSize < nMiniStream) {
      throw Damaged{"the mini stream is larger than its chain"};
    }
    m_nMiniSectors = static_cast<uint32_t>(nMiniStream / kMiniSectorSize);
    m_miniOwned.assign(m_nMiniSectors, false);
    std::vector<uint32_t> tableChain = Chain(m_fat, Le32(&m_file[0x3C]), "mini table", m_nSectors, m_owned);
    for (uint32_t n : tableChain) {
      for (uint32_t i = 0; i < m_nSectorSize / 4; ++i) m_miniFat.push_back(Le32(Sector(n) + 4 * i));
    }
  }

  void CheckStream(const uint8_t* e) {
    const uint64_t nSize = EntrySize(e);
    const uint32_t nStart = Le32(e + 0x74);
    if (nSize == 0) return;
    if (nSize < 4096) {
      std::vector<uint32_t> chain = Chain(m_miniFat, nStart, "stream", m_nMiniSectors, m_miniOwned);
      if (uint64_t(chain.size()) * kMiniSectorSize < nSize) throw Damaged{"a stream is larger than its chain"};
    } else {
      std::vector<uint32_t> chain = Chain(m_fat, nStart, "stream", m_nSectors, m_owned);
      if (uint64_t(chain.size()) * m_nSectorSize < nSize) throw Damaged{"a stream is larger than its chain"};
    }
  }

  // The red-black trees of every storage, from the root: each entry is
  // reached once at most, by an explicit stack.
  void WalkTree() {
    std::vector<bool> reached(m_entries.size(), false);
    reached[0] = true;
    std::vector<uint32_t> pending{Le32(m_entries[0] + 0x4C)};
    while (!pending.empty()) {
      uint32_t id = pending.back();
      pending.pop_back();
      if (id == kNoStream) continue;
      if (id >= m_entries.size()) throw Damaged{"a directory entry names an entry that does not exist"};
      if (reached[id]) throw Damaged{"the directory loops"};
      reached[id] = true;
      const uint8_t* e = m_entries[id];
      const uint16_t nNameBytes = Le16(e + 0x40);
      if (nNameBytes > 64 || nNameBytes % 2 != 0) throw Damaged{"a directory entry has a bad name length"};
      if (e[0x42] == kStream) {
        CheckStream(e);
      } else if (e[0x42] == kStorage) {
        pending.push_back(Le32(e + 0x4C));
      } else {
        throw Damaged{"a directory entry of the tree is neither stream nor storage"};
      }
      pending.push_back(Le32(e + 0x44));
      pending.push_back(Le32(e + 0x48));
    }
  }

  const std::vector<uint8_t>& m_file;
  bool m_bVersion3 = true;
  uint32_t m_nSectorSize = 512;
  uint32_t m_nSectors = 0;
  uint32_t m_nMiniSectors = 0;
  std::vector<uint32_t> m_fat;
  std::vector<uint32_t> m_miniFat;
  std::vector<bool> m_owned;      // sectors taken by a chain so far
  std::vector<bool> m_miniOwned;  // mini sectors taken by a chain so far
  std::vector<const uint8_t*> m_entries;
};

}  // namespace

CfbCheckResult CheckCompoundFile(const std::vector<uint8_t>& file) {
  if (file.size() < 512 || std::memcmp(file.data(), kSignature, sizeof kSignature) != 0) {
    return {CfbCheckResult::kNotCompoundFile, "not a compound file"};
  }
  try {
    Checker(file).Run();
  } catch (const Damaged& d) {
    return {CfbCheckResult::kDamaged, d.strProblem};
  }
  return {};
}

}  // namespace tovdump
