/// The parsers of the sections of a machine fixture, one per domain, each in a
/// source file of its own (fixture_<domain>.cpp). A parser reads its section
/// with FixtureNode's checked reads and fills the machine through its builder.
/// Adding a domain: a parser here and one line in the section table of
/// fixture_loader.cpp.
#pragma once

#include "platform/machine/fixture_node.h"
#include "platform/machine/machine.h"

namespace tov::machine {

/// The code page a fixture names in /computer/ansiCodePage (1252 when it names
/// none); only code pages the platform layer converts are accepted.
uint32_t FixtureCodePage(const FixtureNode& root);

/// "computer": name, Windows directory, code page, clock.
void ParseComputerSection(const FixtureNode& section, Machine& machine);
/// "environment": variable name -> value.
void ParseEnvironmentSection(const FixtureNode& section, Machine& machine);
/// "registry": key path -> { "values": [...] }.
void ParseRegistrySection(const FixtureNode& section, Machine& machine);
/// "files": path -> { "attributes": [...] }.
void ParseFilesSection(const FixtureNode& section, Machine& machine);
/// "libraries": library name -> [entry point names].
void ParseLibrariesSection(const FixtureNode& section, Machine& machine);
/// "eventLogs": log name -> { "refused", "records": [...] }.
void ParseEventLogsSection(const FixtureNode& section, Machine& machine);
/// "accounts": SID text -> { "domain", "name" }.
void ParseAccountsSection(const FixtureNode& section, Machine& machine);
/// A file's "messages": message number -> text.
void ParseMessageTable(const FixtureNode& node, MachineFile& file);
/// "services": service name -> status and configuration, in enumeration order.
void ParseServicesSection(const FixtureNode& section, Machine& machine);
/// A file's "version": its version resource by its parts, or as bytes.
void ParseVersionResource(const FixtureNode& node, MachineFile& file);
/// "devices": the device-node tree, setup classes and driver packages.
void ParseDevicesSection(const FixtureNode& section, Machine& machine);
/// "system": processor, memory and operating-system version facts.
void ParseSystemSection(const FixtureNode& section, Machine& machine);

}  // namespace tov::machine
