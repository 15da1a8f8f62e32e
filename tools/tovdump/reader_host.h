/// What the reader needs of its platform beside the storage calls: a file
/// name in the form StgOpenStorage takes, and the code page in which the
/// archive turns UTF-16 texts into 8-bit ones (the output's code page, so
/// they decode back to the same characters).
#pragma once

#include <memory>
#include <string>

#include "tools/tovdump/text_decode.h"
#include "win32_api.h"

namespace tovdump {

class ReaderHost {
 public:
  explicit ReaderHost(CodePage codePage);
  ~ReaderHost();
  ReaderHost(const ReaderHost&) = delete;
  ReaderHost& operator=(const ReaderHost&) = delete;

  /// The name of the file at strPath (as given on the command line), for
  /// StgOpenStorage, with its terminator.
  std::basic_string<WCHAR> StorageName(const std::string& strPath) const;

  /// What the storage layer said on its own about the file since the last
  /// call, as one line (libgsf's warnings on Linux; nothing on Windows, whose
  /// storage calls only return error codes); empty when it said nothing.
  std::string TakeStorageMessages();

 private:
  struct State;
  std::unique_ptr<State> m_pState;
};

}  // namespace tovdump
