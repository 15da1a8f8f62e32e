#include "tests/platform/temp_tree.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tov::test {

TempTree::TempTree() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tov-tree-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TempTree::~TempTree() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

TempTree& TempTree::File(const std::string& path, const std::string& text) {
  std::filesystem::path full = root_ + path;
  std::filesystem::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << text;
  return *this;
}

TempTree& TempTree::Link(const std::string& path, const std::string& target) {
  std::filesystem::path full = root_ + path;
  std::filesystem::create_directories(full.parent_path());
  std::filesystem::create_symlink(target, full);
  return *this;
}

}  // namespace tov::test
