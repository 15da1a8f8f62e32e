#include "platform/machine/machine.h"

#include <ctime>

namespace tov::machine {

Machine::Machine() : hklm_("HKEY_LOCAL_MACHINE") {}

Machine& Machine::Env(std::string_view name, std::string_view value) {
  auto it = environment_.find(name);
  if (it == environment_.end()) {
    environment_.emplace(std::string(name), std::string(value));
  } else {
    it->second = std::string(value);
  }
  return *this;
}

const std::string* Machine::FindEnv(std::string_view name) const {
  auto it = environment_.find(name);
  return it == environment_.end() ? nullptr : &it->second;
}

Machine& Machine::ComputerName(std::string_view name) {
  computer_name_ = std::string(name);
  return *this;
}

Machine& Machine::WindowsDirectory(std::string_view path) {
  windows_directory_ = std::string(path);
  return *this;
}

Machine& Machine::AnsiCodePage(uint32_t code_page) {
  ansi_code_page_ = code_page;
  return *this;
}

Machine& Machine::Now(int64_t seconds) {
  now_ = seconds;
  return *this;
}

bool Machine::IsDirectory(std::string_view path) const {
  return files_.HoldsFilesBelow(path) || PathIsWithin(windows_directory_, path);
}

int64_t Machine::Now() const {
  return now_ ? *now_ : static_cast<int64_t>(std::time(nullptr));
}

}  // namespace tov::machine
