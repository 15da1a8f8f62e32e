#include "tests/platform/contract_data.h"

namespace tov::test {

namespace {
std::string Dword(DWORD v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}
}  // namespace

const std::vector<std::string>& ContractKeys() {
  static const std::vector<std::string> keys = {
      "SOFTWARE\\TovTest",
      "SOFTWARE\\TovTest\\Values",
      "SOFTWARE\\TovTest\\Values\\Sub",
      "SOFTWARE\\TovTest\\Values\\Sub\\Deeper",
      "SOFTWARE\\TovTest\\NoDefault",
  };
  return keys;
}

const std::vector<ContractValue>& ContractValues() {
  using namespace std::string_literals;
  static const std::vector<ContractValue> values = {
      {"SOFTWARE\\TovTest", "", REG_SZ, "root default\0"s},
      {"SOFTWARE\\TovTest\\Values", "Text", REG_SZ, "hello\0"s},
      {"SOFTWARE\\TovTest\\Values", "Empty", REG_SZ, "\0"s},
      {"SOFTWARE\\TovTest\\Values", "Expand", REG_EXPAND_SZ, "%TOV_TEST_DIR%\\x.sys\0"s},
      {"SOFTWARE\\TovTest\\Values", "Multi", REG_MULTI_SZ, "a\0bc\0\0"s},
      {"SOFTWARE\\TovTest\\Values", "EmptyMulti", REG_MULTI_SZ, "\0"s},
      {"SOFTWARE\\TovTest\\Values", "Number", REG_DWORD, Dword(0x12345678)},
      {"SOFTWARE\\TovTest\\Values", "Blob", REG_BINARY, "\x01\x00\xff\x7f\x80"s},
      {"SOFTWARE\\TovTest\\Values", "NoBytes", REG_BINARY, ""},
      {"SOFTWARE\\TovTest\\Values", "Ansi", REG_SZ, "caf\xe9\0"s},
      {"SOFTWARE\\TovTest\\Values", "Fits260", REG_SZ, std::string(259, 'f') + '\0'},
      {"SOFTWARE\\TovTest\\Values", "Over260", REG_SZ, std::string(260, 'o') + '\0'},
      {"SOFTWARE\\TovTest\\Values\\Sub\\Deeper", "Leaf", REG_SZ, "deep\0"s},
      {"SOFTWARE\\TovTest\\NoDefault", "Only", REG_DWORD, Dword(7)},
  };
  return values;
}

const std::vector<ContractVariable>& ContractVariables() {
  static const std::vector<ContractVariable> variables = {
      {"TOV_TEST_DIR", "C:\\Tov"},
      {"TOV_TEST_EMPTY", ""},
      {"TOV_TEST_LONG", std::string(300, 'L')},
  };
  return variables;
}

}  // namespace tov::test
