// The generator of crafted hostile files: report streams whose bytes lie
// (huge lengths and counts, bad indices and classes, cut-off texts) and
// compound files whose structures lie (loops, sectors out of range, a
// stream larger than the file), each made from a valid sample.
#pragma once

#include <string>
#include <vector>

#include "win32_api.h"

namespace tovdump::test {

/// A stream of a report whose load must fail with an archive error.
struct HostileStream {
  const char* pszCase;
  const char* pszStream;  // the stream it is loaded as
  std::vector<BYTE> bytes;
  const char* pszCause;   // the archive error text it must give, with the stream name for %1
};

std::vector<HostileStream> HostileStreams();

/// An event log record whose chain holds nEvents minimal events.
std::vector<BYTE> EventChainStream(size_t nEvents);

/// A compound file damaged in one way.
struct HostileContainer {
  std::string strCase;
  std::vector<BYTE> file;
};

/// Damaged forms of a valid compound file `valid` written by our storage
/// layer (512-byte sectors, streams of 4096 bytes or more in regular
/// sectors): a looping allocation chain, sector indices out of range, a
/// looping directory, a stream larger than the file.
std::vector<HostileContainer> HostileContainers(const std::vector<BYTE>& valid);

/// `valid` (as above, with a mini stream of fewer than 127 mini sectors)
/// with an entry of its mini table that no chain uses set to a sector index
/// out of range: the reader's own check passes it, libgsf warns about the
/// table (in GLib's log) and reads the streams all the same.
std::vector<BYTE> StrayMiniTableEntry(const std::vector<BYTE>& valid);

std::vector<BYTE> ReadFileBytes(const std::string& strPath);
void WriteFileBytes(const std::string& strPath, const std::vector<BYTE>& bytes);

}  // namespace tovdump::test
