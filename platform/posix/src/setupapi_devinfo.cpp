// Device information sets, install parameters, class driver lists and the
// class installer over the machine's device model and driver packages.
#include <cstring>
#include <string_view>

#include "platform/machine/device_model.h"
#include "platform/posix/src/device_handles.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::DriverPackage;
using tov::machine::EqualsIgnoreCase;
using tov::machine::kDeviceInfoSetHandle;
using tov::machine::kFileQueueHandle;
using tov::machine::Machine;
using tov::posix::FileQueue;

struct DeviceElement {
  DEVINST devinst = 0;
  SP_DEVINSTALL_PARAMS_A params{};
  bool list_built = false;
  std::vector<const DriverPackage*> drivers;
  const DriverPackage* selected = nullptr;
};

// A set belongs to the one caller that created it, so it needs no lock.
struct DeviceInfoSet : tov::machine::HandleObject {
  std::vector<DeviceElement> elements;
};

HDEVINFO ToSet(uintptr_t handle) { return reinterpret_cast<HDEVINFO>(handle); }
uintptr_t FromHandle(PVOID handle) { return reinterpret_cast<uintptr_t>(handle); }

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

std::shared_ptr<DeviceInfoSet> FindSet(Machine& m, HDEVINFO set) {
  return m.Handles().Find<DeviceInfoSet>(FromHandle(set), {kDeviceInfoSetHandle});
}

// The element `data` names in `set` (its Reserved field is the element's
// number), or null with the last error set.
DeviceElement* FindElement(Machine& m, HDEVINFO set, PSP_DEVINFO_DATA data) {
  auto found = FindSet(m, set);
  if (!found) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (data == nullptr || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
    SetLastError(data == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_USER_BUFFER);
    return nullptr;
  }
  if (data->Reserved == 0 || data->Reserved > found->elements.size() ||
      found->elements[data->Reserved - 1].devinst != data->DevInst) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &found->elements[data->Reserved - 1];
}

// The file-name part of a path, so that "oem3.inf" and "C:\...\inf\OEM3.INF" meet.
std::string_view FileName(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// A fixed text field of a caller's structure, never read past its end.
std::string_view Field(const CHAR (&text)[LINE_LEN]) {
  return std::string_view(text, strnlen(text, LINE_LEN));
}

bool Matches(const DriverPackage& driver, const SP_DRVINFO_DATA_V1_A& wanted) {
  return EqualsIgnoreCase(driver.Description(), Field(wanted.Description)) &&
         EqualsIgnoreCase(driver.Manufacturer(), Field(wanted.MfgName)) &&
         EqualsIgnoreCase(driver.Provider(), Field(wanted.ProviderName));
}

}  // namespace

HDEVINFO SetupDiCreateDeviceInfoList(const GUID*, HWND) {
  Machine* m = tov::posix::MachineFor("SetupDiCreateDeviceInfoList");
  if (m == nullptr) return INVALID_HANDLE_VALUE;
  return ToSet(m->Handles().Open(kDeviceInfoSetHandle, std::make_shared<DeviceInfoSet>()));
}

BOOL SetupDiOpenDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceInstanceId, HWND, DWORD OpenFlags,
                            PSP_DEVINFO_DATA DeviceInfoData) {
  Machine* m = tov::posix::MachineFor("SetupDiOpenDeviceInfoA");
  if (m == nullptr) return FALSE;
  auto set = FindSet(*m, DeviceInfoSet);
  if (!set) return Fail(ERROR_INVALID_HANDLE);
  if (DeviceInstanceId == nullptr || OpenFlags != 0) return Fail(ERROR_INVALID_PARAMETER);
  if (DeviceInfoData != nullptr && DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  const DeviceNode* node = m->Devices().FindById(DeviceInstanceId);
  if (node == nullptr) return Fail(ERROR_NO_SUCH_DEVINST);
  size_t number = 0;
  while (number < set->elements.size() && set->elements[number].devinst != node->Handle()) {
    ++number;
  }
  if (number == set->elements.size()) {
    DeviceElement element;
    element.devinst = node->Handle();
    element.params.cbSize = sizeof(SP_DEVINSTALL_PARAMS_A);
    set->elements.push_back(element);
  }
  if (DeviceInfoData != nullptr) {
    GUID class_guid{};
    if (const auto* text = node->FindProp(CM_DRP_CLASSGUID)) {
      std::string_view guid_text(reinterpret_cast<const char*>(text->data.data()),
                                 strnlen(reinterpret_cast<const char*>(text->data.data()),
                                         text->data.size()));
      if (!tov::machine::ReadGuidText(guid_text, &class_guid)) class_guid = GUID{};
    }
    DeviceInfoData->ClassGuid = class_guid;
    DeviceInfoData->DevInst = node->Handle();
    DeviceInfoData->Reserved = number + 1;
  }
  return TRUE;
}

BOOL SetupDiSetDeviceInstallParamsA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                    PSP_DEVINSTALL_PARAMS_A DeviceInstallParams) {
  Machine* m = tov::posix::MachineFor("SetupDiSetDeviceInstallParamsA");
  if (m == nullptr) return FALSE;
  DeviceElement* element = FindElement(*m, DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (DeviceInstallParams == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (DeviceInstallParams->cbSize != sizeof(SP_DEVINSTALL_PARAMS_A)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  // Queueing instead of copying needs a queue to put the copies in.
  if ((DeviceInstallParams->Flags & DI_NOVCP) != 0 &&
      !m->Handles().Find<FileQueue>(FromHandle(DeviceInstallParams->FileQueue),
                                    {kFileQueueHandle})) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  element->params = *DeviceInstallParams;
  return TRUE;
}

BOOL SetupDiBuildDriverInfoList(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                DWORD DriverType) {
  Machine* m = tov::posix::MachineFor("SetupDiBuildDriverInfoList");
  if (m == nullptr) return FALSE;
  DeviceElement* element = FindElement(*m, DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (DriverType != SPDIT_CLASSDRIVER) return Fail(ERROR_INVALID_PARAMETER);
  const SP_DEVINSTALL_PARAMS_A& params = element->params;
  std::string_view single_inf =
      FileName(std::string_view(params.DriverPath, strnlen(params.DriverPath, MAX_PATH)));
  element->drivers.clear();
  for (const auto& driver : m->Devices().Drivers()) {
    if ((params.Flags & DI_ENUMSINGLEINF) != 0 &&
        !EqualsIgnoreCase(FileName(driver->Inf()), single_inf)) {
      continue;
    }
    if (driver->IsExcludedFromSelect() && (params.FlagsEx & DI_FLAGSEX_ALLOWEXCLUDEDDRVS) == 0) {
      continue;
    }
    element->drivers.push_back(driver.get());
  }
  element->list_built = true;
  return TRUE;
}

BOOL SetupDiSetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                               PSP_DRVINFO_DATA_A DriverInfoData) {
  Machine* m = tov::posix::MachineFor("SetupDiSetSelectedDriverA");
  if (m == nullptr) return FALSE;
  DeviceElement* element = FindElement(*m, DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (DriverInfoData == nullptr || DriverInfoData->Reserved != 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (DriverInfoData->cbSize != sizeof(SP_DRVINFO_DATA_V1_A)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  if (!element->list_built || DriverInfoData->DriverType != SPDIT_CLASSDRIVER) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  for (const DriverPackage* driver : element->drivers) {
    if (Matches(*driver, *DriverInfoData)) {
      element->selected = driver;
      return TRUE;
    }
  }
  return Fail(ERROR_INVALID_PARAMETER);
}

BOOL SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                               PSP_DEVINFO_DATA DeviceInfoData) {
  Machine* m = tov::posix::MachineFor("SetupDiCallClassInstaller");
  if (m == nullptr) return FALSE;
  DeviceElement* element = FindElement(*m, DeviceInfoSet, DeviceInfoData);
  if (element == nullptr) return FALSE;
  if (InstallFunction != DIF_INSTALLDEVICEFILES) return Fail(ERROR_INVALID_FUNCTION);
  if (element->selected == nullptr) return Fail(ERROR_NO_DRIVER_SELECTED);
  // Without DI_NOVCP the installer would copy the files itself; the machine
  // installs nothing, so it answers as to a caller not allowed to install.
  if ((element->params.Flags & DI_NOVCP) == 0) return Fail(ERROR_ACCESS_DENIED);
  if (element->selected->RefusesInstall()) return Fail(ERROR_INVALID_FUNCTION);
  auto queue = m->Handles().Find<FileQueue>(FromHandle(element->params.FileQueue),
                                            {kFileQueueHandle});
  if (!queue) return Fail(ERROR_INVALID_HANDLE);
  const auto& files = element->selected->Files();
  queue->targets.insert(queue->targets.end(), files.begin(), files.end());
  return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  Machine* m = tov::posix::MachineFor("SetupDiDestroyDeviceInfoList");
  if (m == nullptr) return FALSE;
  if (!tov::posix::ReleaseDeviceHandle(*m, FromHandle(DeviceInfoSet), {kDeviceInfoSetHandle})) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  return TRUE;
}
