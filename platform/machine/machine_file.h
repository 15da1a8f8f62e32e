/// The files of the machine model: path (any letter case) -> what the
/// platform operations can learn about the file. Later domains add the file's
/// version resource and message table here, as members of MachineFile.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/message_table.h"
#include "platform/machine/text_case.h"
#include "win32/files.h"

namespace tov::machine {

/// One file; its setters are the builder: m.File("C:\\x.sys").Attributes(...).
class MachineFile {
 public:
  MachineFile& Attributes(uint32_t attributes) {
    attributes_ = attributes;
    return *this;
  }
  uint32_t Attributes() const { return attributes_; }

  /// Adds message `id` to the file's message table.
  MachineFile& Message(uint32_t id, std::string_view text) {
    messages_.Add(id, text);
    return *this;
  }
  const MessageTable& Messages() const { return messages_; }

  /// The file's version resource as a binary block (VersionResource builds
  /// one); empty: the file has none.
  MachineFile& VersionBlock(std::vector<uint8_t> block) {
    version_block_ = std::move(block);
    return *this;
  }
  const std::vector<uint8_t>& VersionBlock() const { return version_block_; }

 private:
  uint32_t attributes_ = FILE_ATTRIBUTE_NORMAL;
  MessageTable messages_;
  std::vector<uint8_t> version_block_;
};

/// True when `path` is `folder` or lies below it, compared as FileSystem does.
bool PathIsWithin(std::string_view path, std::string_view folder);

/// All files of the machine. Paths are compared ignoring letter case, with '/'
/// taken as '\\' and a trailing separator dropped.
class FileSystem {
 public:
  /// The file at `path`, added when it is not there yet.
  MachineFile& Add(std::string_view path);
  /// The file at `path`, or null.
  const MachineFile* Find(std::string_view path) const;
  /// True when some file of the machine lies below `path`.
  bool HoldsFilesBelow(std::string_view path) const;

 private:
  std::map<std::string, MachineFile, LessIgnoreCase> files_;
};

}  // namespace tov::machine
