/// The message table of a file of the machine: message number -> text, as a
/// message compiler stores it (each line of a message ends with CR LF). Read
/// by FormatMessageA through a data module of the file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tov::machine {

class MessageTable {
 public:
  /// Adds or replaces message `id`.
  void Add(uint32_t id, std::string_view text) { messages_[id] = std::string(text); }
  /// The text of message `id`, or null.
  const std::string* Find(uint32_t id) const {
    auto it = messages_.find(id);
    return it == messages_.end() ? nullptr : &it->second;
  }
  /// A file without messages has no message table.
  bool Empty() const { return messages_.empty(); }

 private:
  std::map<uint32_t, std::string> messages_;
};

}  // namespace tov::machine
