/// Fills a Machine from a JSON fixture (the format is described in
/// docs/machine-fixture.md). The loader calls the same builder a test uses,
/// so a fixture and a built machine are one thing.
#pragma once

#include <string>
#include <string_view>

#include "platform/machine/machine.h"

namespace tov::machine {

/// Fills `machine` from the fixture file at `path`. On a fault returns false
/// with `*error` naming the file, the JSON path and the fault, for example
///   fixture.json: /registry/SYSTEM\Foo/values/0/type: unknown type "REG_XX"
/// and the machine, partly filled, is to be discarded.
bool LoadMachineFixture(const std::string& path, Machine& machine, std::string* error);

/// The same for fixture text; `source_name` stands for the file in messages.
bool ParseMachineFixture(std::string_view text, std::string_view source_name, Machine& machine,
                         std::string* error);

}  // namespace tov::machine
