// Device-node tree, identity and status over the machine's device model.
#include <cstring>

#include "platform/machine/device_model.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::Machine;

// The neighbour `step` gives for the node `dnDevInst`, written to *pdnDevInst
// (0 when there is none).
template <class Step>
CONFIGRET Neighbour(const char* operation, PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags,
                    Step step) {
  Machine* m = tov::posix::MachineFor(operation);
  if (m == nullptr) return CR_FAILURE;
  if (pdnDevInst == nullptr) return CR_INVALID_POINTER;
  *pdnDevInst = 0;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  const DeviceNode* node = m->Devices().Find(dnDevInst);
  if (node == nullptr) return CR_INVALID_DEVNODE;
  const DeviceNode* next = step(*node);
  if (next == nullptr) return CR_NO_SUCH_DEVNODE;
  *pdnDevInst = next->Handle();
  return CR_SUCCESS;
}

}  // namespace

WORD CM_Get_Version(void) {
  Machine* m = tov::posix::MachineFor("CM_Get_Version");
  return m == nullptr ? 0 : m->Devices().Version();
}

CONFIGRET CM_Get_Global_State(PULONG pulState, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Global_State");
  if (m == nullptr) return CR_FAILURE;
  if (pulState == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  *pulState = m->Devices().GlobalState();
  return CR_SUCCESS;
}

CONFIGRET CM_Locate_DevNodeA(PDEVINST pdnDevInst, DEVINSTID_A pDeviceID, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Locate_DevNodeA");
  if (m == nullptr) return CR_FAILURE;
  if (pdnDevInst == nullptr) return CR_INVALID_POINTER;
  *pdnDevInst = 0;
  if (ulFlags != CM_LOCATE_DEVNODE_NORMAL) return CR_INVALID_FLAG;
  const DeviceNode* node = pDeviceID == nullptr || pDeviceID[0] == '\0'
                               ? m->Devices().Root()
                               : m->Devices().FindById(pDeviceID);
  if (node == nullptr) return CR_NO_SUCH_DEVNODE;
  *pdnDevInst = node->Handle();
  return CR_SUCCESS;
}

CONFIGRET CM_Get_Parent(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Neighbour("CM_Get_Parent", pdnDevInst, dnDevInst, ulFlags,
                   [](const DeviceNode& n) { return n.Parent(); });
}

CONFIGRET CM_Get_Sibling(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Neighbour("CM_Get_Sibling", pdnDevInst, dnDevInst, ulFlags,
                   [](const DeviceNode& n) { return n.NextSibling(); });
}

CONFIGRET CM_Get_Child(PDEVINST pdnDevInst, DEVINST dnDevInst, ULONG ulFlags) {
  return Neighbour("CM_Get_Child", pdnDevInst, dnDevInst, ulFlags,
                   [](const DeviceNode& n) { return n.FirstChild(); });
}

CONFIGRET CM_Get_Device_IDA(DEVINST dnDevInst, PCHAR Buffer, ULONG BufferLen, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Device_IDA");
  if (m == nullptr) return CR_FAILURE;
  if (Buffer == nullptr || BufferLen == 0) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  const DeviceNode* node = m->Devices().Find(dnDevInst);
  if (node == nullptr) return CR_INVALID_DEVNODE;
  const std::string& id = node->InstanceId();
  if (id.size() >= BufferLen) {
    // As much as fits, without a NUL: the caller must not take it as the ID.
    std::memcpy(Buffer, id.data(), BufferLen);
    return CR_BUFFER_SMALL;
  }
  std::memcpy(Buffer, id.c_str(), id.size() + 1);
  return CR_SUCCESS;
}

CONFIGRET CM_Get_DevNode_Status(PULONG pulStatus, PULONG pulProblemNumber, DEVINST dnDevInst,
                                ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_DevNode_Status");
  if (m == nullptr) return CR_FAILURE;
  if (pulStatus == nullptr || pulProblemNumber == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  const DeviceNode* node = m->Devices().Find(dnDevInst);
  if (node == nullptr) return CR_INVALID_DEVNODE;
  if (!node->StatusAndProblem()) return CR_NO_SUCH_VALUE;
  *pulStatus = node->StatusAndProblem()->first;
  *pulProblemNumber = node->StatusAndProblem()->second;
  return CR_SUCCESS;
}
