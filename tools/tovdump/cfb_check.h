/// A structural check of a compound file (the published MS-CFB layout) before
/// any storage library is given it: the header, the sector allocation table
/// and its index, the directory and its trees, and the chain of every stream.
/// A file that passes has no chain that loops or leaves the file, no
/// directory entry reached twice, and no stream larger than its chain, so a
/// reader that trusts these structures stays inside the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovdump {

/// What the check found: ok, not a compound file at all, or damaged (with
/// what is wrong, in words).
struct CfbCheckResult {
  enum Verdict { kOk, kNotCompoundFile, kDamaged } verdict = kOk;
  std::string strProblem;
};

/// Checks the bytes of a whole file.
CfbCheckResult CheckCompoundFile(const std::vector<uint8_t>& file);

}  // namespace tovdump
