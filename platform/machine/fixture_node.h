/// One value of a machine fixture (JSON) together with its JSON path, and the
/// checked reads the per-domain fixture parsers make of it. Every read that
/// finds the wrong kind of value throws FixtureError naming the path, so a
/// parser states what it expects and never checks by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace tov::machine {

/// A fault in a fixture: where (a JSON pointer, "" for the whole document) and what.
class FixtureError : public std::runtime_error {
 public:
  FixtureError(std::string path, const std::string& what)
      : std::runtime_error(what), path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

/// A name of the fixture's vocabulary and the number it stands for.
struct NamedValue {
  const char* name;
  uint32_t value;
};

class FixtureNode {
 public:
  /// `code_page` is the machine's ANSI code page, into which texts are converted.
  FixtureNode(const nlohmann::ordered_json& json, std::string path, uint32_t code_page)
      : json_(&json), path_(std::move(path)), code_page_(code_page) {}

  const std::string& Path() const { return path_; }
  const nlohmann::ordered_json& Json() const { return *json_; }

  /// A JSON string, as 8-bit text in the machine's code page.
  std::string Text() const;
  /// A JSON string as it stands (UTF-8), for names of the fixture's own vocabulary.
  std::string Word() const;
  /// A whole JSON number within the given range.
  uint32_t Uint32() const;
  uint64_t Uint64() const;
  int64_t Int64() const;
  /// JSON true or false.
  bool Flag() const;
  /// A whole JSON number, or one of the names of `table`; `what` names the
  /// kind of value in the failure message.
  template <size_t N>
  uint32_t Named(const NamedValue (&table)[N], const char* what) const {
    return Named(table, N, what);
  }
  uint32_t Named(const NamedValue* table, size_t count, const char* what) const;
  /// A JSON string of hexadecimal byte pairs, blanks allowed between bytes.
  std::vector<uint8_t> Hex() const;

  /// The members of an object in file order, each name converted like Text().
  std::vector<std::pair<std::string, FixtureNode>> Members() const;
  /// The elements of an array.
  std::vector<FixtureNode> Elements() const;
  /// The member `name` of an object, if present.
  std::optional<FixtureNode> Find(std::string_view name) const;
  /// Fails unless this is an object whose members are all among `allowed`.
  void AllowOnly(std::initializer_list<std::string_view> allowed) const;

  /// Throws FixtureError at this node's path.
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  FixtureNode Child(const std::string& key, const nlohmann::ordered_json& json) const;
  std::string ToCodePage(const std::string& utf8, const std::string& path) const;
  void Expect(bool ok, const char* what) const;

  const nlohmann::ordered_json* json_;
  std::string path_;
  uint32_t code_page_;
};

}  // namespace tov::machine
