/// A folder tree made for one test below a fresh temporary folder and
/// removed with it: files with their text, and symbolic links.
#pragma once

#include <string>

namespace tov::test {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& Root() const { return root_; }
  /// Writes `text` to `path` (absolute, below the root), making its folders.
  TempTree& File(const std::string& path, const std::string& text);
  /// Makes `path` a symbolic link to `target`, written as given.
  TempTree& Link(const std::string& path, const std::string& target);

 private:
  std::string root_;
};

}  // namespace tov::test
