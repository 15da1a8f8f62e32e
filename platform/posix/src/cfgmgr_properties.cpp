// Device-node and setup-class registry properties over the machine's device model.
#include <cstring>

#include "platform/machine/device_model.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::DeviceProperty;
using tov::machine::Machine;
using tov::machine::SetupClass;

// Hands a property value to the caller the way both property queries do: the
// bytes whole, or CR_BUFFER_SMALL and the size needed, never a cut value.
CONFIGRET CopyValue(const DeviceProperty& value, PULONG pulRegDataType, PVOID Buffer,
                    PULONG pulLength) {
  ULONG size = static_cast<ULONG>(value.data.size());
  ULONG room = *pulLength;
  *pulLength = size;
  if (pulRegDataType != nullptr) *pulRegDataType = value.type;
  if (size > room) return CR_BUFFER_SMALL;
  if (size > 0) std::memcpy(Buffer, value.data.data(), size);
  return CR_SUCCESS;
}

// Checks shared by both property queries; CR_SUCCESS when the call may go on.
CONFIGRET CheckPropertyCall(ULONG ulProperty, PVOID Buffer, PULONG pulLength, ULONG ulFlags) {
  if (pulLength == nullptr || (Buffer == nullptr && *pulLength != 0)) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  if (ulProperty < CM_DRP_MIN || ulProperty > CM_DRP_MAX) return CR_INVALID_PROPERTY;
  return CR_SUCCESS;
}

}  // namespace

CONFIGRET CM_Get_DevNode_Registry_PropertyA(DEVINST dnDevInst, ULONG ulProperty,
                                            PULONG pulRegDataType, PVOID Buffer,
                                            PULONG pulLength, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_DevNode_Registry_PropertyA");
  if (m == nullptr) return CR_FAILURE;
  CONFIGRET cr = CheckPropertyCall(ulProperty, Buffer, pulLength, ulFlags);
  if (cr != CR_SUCCESS) return cr;
  const DeviceNode* node = m->Devices().Find(dnDevInst);
  if (node == nullptr) return CR_INVALID_DEVNODE;
  const DeviceProperty* value = node->FindProp(ulProperty);
  if (value == nullptr) {
    *pulLength = 0;
    return CR_NO_SUCH_VALUE;
  }
  return CopyValue(*value, pulRegDataType, Buffer, pulLength);
}

CONFIGRET CM_Get_Class_Registry_PropertyA(LPGUID ClassGuid, ULONG ulProperty,
                                          PULONG pulRegDataType, PVOID Buffer,
                                          PULONG pulLength, ULONG ulFlags, HMACHINE hMachine) {
  Machine* m = tov::posix::MachineFor("CM_Get_Class_Registry_PropertyA");
  if (m == nullptr) return CR_FAILURE;
  if (ClassGuid == nullptr) return CR_INVALID_POINTER;
  CONFIGRET cr = CheckPropertyCall(ulProperty, Buffer, pulLength, ulFlags);
  if (cr != CR_SUCCESS) return cr;
  if (hMachine != nullptr) return CR_FAILURE;  // only the local machine is modelled
  const SetupClass* setup_class = m->Devices().FindClass(*ClassGuid);
  if (setup_class == nullptr || ulProperty != CM_CRP_CHARACTERISTICS ||
      !setup_class->Characteristics()) {
    *pulLength = 0;
    return CR_NO_SUCH_VALUE;
  }
  uint32_t characteristics = *setup_class->Characteristics();
  DeviceProperty value{REG_DWORD, std::vector<uint8_t>(4)};
  std::memcpy(value.data.data(), &characteristics, 4);
  return CopyValue(value, pulRegDataType, Buffer, pulLength);
}

CONFIGRET CM_Get_Class_NameA(LPGUID ClassGuid, PCHAR Buffer, PULONG pulLength, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Class_NameA");
  if (m == nullptr) return CR_FAILURE;
  if (ClassGuid == nullptr || Buffer == nullptr || pulLength == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  const SetupClass* setup_class = m->Devices().FindClass(*ClassGuid);
  if (setup_class == nullptr) return CR_NO_SUCH_VALUE;
  const std::string& name = setup_class->Name();
  ULONG room = *pulLength;
  *pulLength = static_cast<ULONG>(name.size() + 1);
  if (name.size() + 1 > room) return CR_BUFFER_SMALL;
  std::memcpy(Buffer, name.c_str(), name.size() + 1);
  return CR_SUCCESS;
}
