// The "devices" section of a machine fixture: the device-node tree with its
// properties, status and configurations, the setup classes and the driver
// packages.
#include <stdexcept>
#include <string>

#include "platform/machine/fixture_sections.h"

namespace tov::machine {

namespace {

const NamedValue kProperties[] = {
    {"DEVICEDESC", CM_DRP_DEVICEDESC},
    {"HARDWAREID", CM_DRP_HARDWAREID},
    {"COMPATIBLEIDS", CM_DRP_COMPATIBLEIDS},
    {"SERVICE", CM_DRP_SERVICE},
    {"CLASS", CM_DRP_CLASS},
    {"CLASSGUID", CM_DRP_CLASSGUID},
    {"DRIVER", CM_DRP_DRIVER},
    {"CONFIGFLAGS", CM_DRP_CONFIGFLAGS},
    {"MFG", CM_DRP_MFG},
    {"FRIENDLYNAME", CM_DRP_FRIENDLYNAME},
    {"LOCATION_INFORMATION", CM_DRP_LOCATION_INFORMATION},
    {"PHYSICAL_DEVICE_OBJECT_NAME", CM_DRP_PHYSICAL_DEVICE_OBJECT_NAME},
    {"CAPABILITIES", CM_DRP_CAPABILITIES},
    {"UI_NUMBER", CM_DRP_UI_NUMBER},
    {"UPPERFILTERS", CM_DRP_UPPERFILTERS},
    {"LOWERFILTERS", CM_DRP_LOWERFILTERS},
    {"BUSTYPEGUID", CM_DRP_BUSTYPEGUID},
    {"LEGACYBUSTYPE", CM_DRP_LEGACYBUSTYPE},
    {"BUSNUMBER", CM_DRP_BUSNUMBER},
    {"ENUMERATOR_NAME", CM_DRP_ENUMERATOR_NAME},
    {"CHARACTERISTICS", CM_DRP_CHARACTERISTICS},
    {"ADDRESS", CM_DRP_ADDRESS},
};

const NamedValue kConfigurationTypes[] = {
    {"BASIC", BASIC_LOG_CONF},   {"FILTERED", FILTERED_LOG_CONF}, {"ALLOC", ALLOC_LOG_CONF},
    {"BOOT", BOOT_LOG_CONF},     {"FORCED", FORCED_LOG_CONF},     {"OVERRIDE", OVERRIDE_LOG_CONF},
};

const NamedValue kResourceTypes[] = {
    {"MEM", ResType_Mem},
    {"IO", ResType_IO},
    {"DMA", ResType_DMA},
    {"IRQ", ResType_IRQ},
    {"BUSNUMBER", ResType_BusNumber},
    {"MEMLARGE", ResType_MemLarge},
    {"CLASSSPECIFIC", ResType_ClassSpecific},
    {"DEVICEPRIVATE", ResType_DevicePrivate},
};

// A property by its name without "CM_DRP_", or by its number as decimal text.
ULONG PropertyCode(const std::string& name, const FixtureNode& node) {
  for (const NamedValue& entry : kProperties) {
    if (name == entry.name) return entry.value;
  }
  if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos &&
      name.size() < 4) {
    ULONG code = static_cast<ULONG>(std::stoul(name));
    if (code >= CM_DRP_MIN && code <= CM_DRP_MAX) return code;
  }
  node.Fail("unknown device property \"" + name + "\"");
}

// A text is REG_SZ, a number REG_DWORD; { "type": <registry type number>,
// "hex": "..." } stores any type's bytes exactly.
void ParseProperty(const std::string& name, const FixtureNode& value, DeviceNode& node) {
  ULONG code = PropertyCode(name, value);
  if (value.Json().is_string()) {
    node.Prop(code, value.Text());
  } else if (value.Json().is_number()) {
    node.PropDword(code, value.Uint32());
  } else {
    value.AllowOnly({"type", "hex"});
    auto type = value.Find("type");
    auto hex = value.Find("hex");
    if (!type || !hex) value.Fail("a property is a text, a number, or { \"type\", \"hex\" }");
    node.PropRaw(code, type->Uint32(), hex->Hex());
  }
}

void ParseConfiguration(const FixtureNode& body, DeviceNode& node) {
  body.AllowOnly({"type", "priority", "resources"});
  auto type = body.Find("type");
  if (!type) body.Fail("a configuration needs a \"type\"");
  auto priority = body.Find("priority");
  LogConfig& conf = node.LogConf(type->Named(kConfigurationTypes, "configuration type"),
                                 priority ? priority->Uint32() : LCPRI_NORMAL);
  auto resources = body.Find("resources");
  if (!resources) return;
  for (const FixtureNode& resource : resources->Elements()) {
    resource.AllowOnly({"type", "hex", "unreadableSize"});
    auto res_type = resource.Find("type");
    if (!res_type) resource.Fail("a resource needs a \"type\"");
    RESOURCEID id = res_type->Named(kResourceTypes, "resource type");
    auto hex = resource.Find("hex");
    auto unreadable = resource.Find("unreadableSize");
    if (hex.has_value() == unreadable.has_value()) {
      resource.Fail("a resource needs either \"hex\" or \"unreadableSize\"");
    }
    if (hex) {
      conf.Res(id, hex->Hex());
    } else {
      conf.UnreadableRes(id, unreadable->Uint32());
    }
  }
}

DeviceNode& AddChild(const FixtureNode& body, DeviceNode& parent);

// Fills `node` from `body`, then adds its children. Fixture trees are a few
// levels deep, so the recursion follows the document's own nesting.
void ParseNode(const FixtureNode& body, DeviceNode& node) {
  body.AllowOnly({"id", "properties", "status", "problem", "noStatus", "configurations",
                  "children"});
  if (auto properties = body.Find("properties")) {
    for (const auto& [name, value] : properties->Members()) ParseProperty(name, value, node);
  }
  auto status = body.Find("status");
  auto problem = body.Find("problem");
  if (status || problem) {
    ULONG flags = status ? status->Uint32() : node.StatusAndProblem()->first;
    node.Status(flags, problem ? problem->Uint32() : 0);
  }
  if (auto no_status = body.Find("noStatus")) {
    if (no_status->Flag()) node.NoStatus();
  }
  if (auto configurations = body.Find("configurations")) {
    for (const FixtureNode& conf : configurations->Elements()) ParseConfiguration(conf, node);
  }
  if (auto children = body.Find("children")) {
    for (const FixtureNode& child : children->Elements()) ParseNode(child, AddChild(child, node));
  }
}

DeviceNode& AddChild(const FixtureNode& body, DeviceNode& parent) {
  auto id = body.Find("id");
  if (!id) body.Fail("a device node needs an \"id\"");
  try {
    return parent.Child(id->Text());
  } catch (const std::invalid_argument& e) {
    body.Fail(e.what());  // another node has this instance ID
  }
}

void ParseClass(const std::string& guid, const FixtureNode& body, DeviceModel& devices) {
  body.AllowOnly({"name", "characteristics"});
  SetupClass* found = nullptr;
  try {
    found = &devices.Class(guid);
  } catch (const std::invalid_argument&) {
    body.Fail("a class is named by its braced GUID");
  }
  SetupClass& setup_class = *found;
  if (auto name = body.Find("name")) setup_class.Name(name->Text());
  if (auto characteristics = body.Find("characteristics")) {
    setup_class.Characteristics(characteristics->Uint32());
  }
}

void ParseDriver(const FixtureNode& body, DeviceModel& devices) {
  body.AllowOnly({"inf", "description", "manufacturer", "provider", "files",
                  "excludedFromSelect", "refusesInstallFiles"});
  auto inf = body.Find("inf");
  if (!inf) body.Fail("a driver needs its \"inf\"");
  DriverPackage& driver = devices.AddDriver(inf->Text());
  if (auto n = body.Find("description")) driver.Description(n->Text());
  if (auto n = body.Find("manufacturer")) driver.Manufacturer(n->Text());
  if (auto n = body.Find("provider")) driver.Provider(n->Text());
  if (auto files = body.Find("files")) {
    for (const FixtureNode& file : files->Elements()) driver.File(file.Text());
  }
  if (auto n = body.Find("excludedFromSelect")) {
    if (n->Flag()) driver.ExcludedFromSelect();
  }
  if (auto n = body.Find("refusesInstallFiles")) {
    if (n->Flag()) driver.RefusesInstallFiles();
  }
}

}  // namespace

void ParseDevicesSection(const FixtureNode& section, Machine& machine) {
  section.AllowOnly({"version", "globalState", "root", "classes", "drivers"});
  DeviceModel& devices = machine.Devices();
  if (auto n = section.Find("version")) {
    uint32_t version = n->Uint32();
    if (version > 0xFFFF) n->Fail("a version is a 16-bit number");
    devices.Version(static_cast<WORD>(version));
  }
  if (auto n = section.Find("globalState")) devices.GlobalState(n->Uint32());
  if (auto root = section.Find("root")) {
    auto id = root->Find("id");
    if (!id) root->Fail("a device node needs an \"id\"");
    ParseNode(*root, devices.Root(id->Text()));
  }
  if (auto classes = section.Find("classes")) {
    for (const auto& [guid, body] : classes->Members()) ParseClass(guid, body, devices);
  }
  if (auto drivers = section.Find("drivers")) {
    for (const FixtureNode& driver : drivers->Elements()) ParseDriver(driver, devices);
  }
}

}  // namespace tov::machine
