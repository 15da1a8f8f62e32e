// The "services" section of a machine fixture: service name -> status and
// configuration, in the order the manager enumerates them.
#include <string>
#include <vector>

#include "platform/machine/fixture_sections.h"
#include "win32/services.h"

namespace tov::machine {

namespace {

const NamedValue kTypes[] = {
    {"KERNEL_DRIVER", SERVICE_KERNEL_DRIVER},
    {"FILE_SYSTEM_DRIVER", SERVICE_FILE_SYSTEM_DRIVER},
    {"ADAPTER", SERVICE_ADAPTER},
    {"RECOGNIZER_DRIVER", SERVICE_RECOGNIZER_DRIVER},
    {"WIN32_OWN_PROCESS", SERVICE_WIN32_OWN_PROCESS},
    {"WIN32_SHARE_PROCESS", SERVICE_WIN32_SHARE_PROCESS},
};

const NamedValue kStates[] = {
    {"STOPPED", SERVICE_STOPPED},         {"START_PENDING", SERVICE_START_PENDING},
    {"STOP_PENDING", SERVICE_STOP_PENDING}, {"RUNNING", SERVICE_RUNNING},
    {"CONTINUE_PENDING", SERVICE_CONTINUE_PENDING}, {"PAUSE_PENDING", SERVICE_PAUSE_PENDING},
    {"PAUSED", SERVICE_PAUSED},
};

const NamedValue kStartTypes[] = {
    {"BOOT_START", SERVICE_BOOT_START},     {"SYSTEM_START", SERVICE_SYSTEM_START},
    {"AUTO_START", SERVICE_AUTO_START},     {"DEMAND_START", SERVICE_DEMAND_START},
    {"DISABLED", SERVICE_DISABLED},
};

const NamedValue kErrorControls[] = {
    {"IGNORE", SERVICE_ERROR_IGNORE},
    {"NORMAL", SERVICE_ERROR_NORMAL},
    {"SEVERE", SERVICE_ERROR_SEVERE},
    {"CRITICAL", SERVICE_ERROR_CRITICAL},
};

void ParseService(const std::string& name, const FixtureNode& body, Machine& machine) {
  body.AllowOnly({"displayName", "type", "state", "controlsAccepted", "win32ExitCode",
                  "startType", "errorControl", "imagePath", "binaryPath", "group", "tag",
                  "dependencies", "startName", "description", "serviceDll", "denyAccess"});
  MachineService& service = machine.AddService(name);
  if (auto n = body.Find("displayName")) service.DisplayName(n->Text());
  if (auto n = body.Find("type")) service.Type(n->Named(kTypes, "service type"));
  SERVICE_STATUS status = service.Status();
  if (auto n = body.Find("state")) status.dwCurrentState = n->Named(kStates, "state");
  if (auto n = body.Find("controlsAccepted")) status.dwControlsAccepted = n->Uint32();
  if (auto n = body.Find("win32ExitCode")) status.dwWin32ExitCode = n->Uint32();
  service.Status(status);
  if (auto n = body.Find("startType")) service.StartType(n->Named(kStartTypes, "start type"));
  if (auto n = body.Find("errorControl")) {
    service.ErrorControl(n->Named(kErrorControls, "error control"));
  }
  auto image = body.Find("imagePath");
  auto binary = body.Find("binaryPath");
  if (image && binary) body.Fail("give \"imagePath\" or \"binaryPath\", not both");
  if (image) service.ImagePath(image->Text());
  if (binary) service.BinaryPath(binary->Text());
  if (auto n = body.Find("group")) service.Group(n->Text());
  if (auto n = body.Find("tag")) service.Tag(n->Uint32());
  if (auto n = body.Find("dependencies")) {
    std::vector<std::string> names;
    for (const FixtureNode& element : n->Elements()) names.push_back(element.Text());
    service.Dependencies(std::move(names));
  }
  if (auto n = body.Find("startName")) service.StartName(n->Text());
  if (auto n = body.Find("description")) service.Description(n->Text());
  if (auto n = body.Find("serviceDll")) service.ServiceDll(n->Text());
  if (auto n = body.Find("denyAccess")) {
    if (!n->Json().is_boolean()) n->Fail("expected true or false");
    if (n->Json().get<bool>()) service.DenyAccess();
  }
}

}  // namespace

void ParseServicesSection(const FixtureNode& section, Machine& machine) {
  for (const auto& [name, body] : section.Members()) ParseService(name, body, machine);
}

}  // namespace tov::machine
