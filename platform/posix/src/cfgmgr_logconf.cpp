// Logical configurations and resource descriptors over the machine's device
// model. Every handle handed out is a handle-table entry of its own, so a test
// can see each one released, and every release call is entered in the device
// model's release ledger.
#include <cstring>

#include "platform/machine/device_model.h"
#include "platform/posix/src/device_handles.h"
#include "platform/posix/src/machine_access.h"
#include "win32_api.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::kLogConfHandle;
using tov::machine::kResDesHandle;
using tov::machine::LogConfig;
using tov::machine::Machine;
using tov::machine::ResourceDescriptor;

struct OpenLogConf : tov::machine::HandleObject {
  OpenLogConf(const DeviceNode* n, uint32_t t, size_t i, const LogConfig* c)
      : node(n), type(t), index(i), conf(c) {}
  const DeviceNode* node;
  uint32_t type;
  size_t index;  // among the node's configurations of `type`
  const LogConfig* conf;
};

struct OpenResDes : tov::machine::HandleObject {
  OpenResDes(const LogConfig* c, size_t i) : conf(c), index(i) {}
  const LogConfig* conf;
  size_t index;
  const ResourceDescriptor& Descriptor() const { return conf->Descriptors()[index]; }
};

// Opens a handle for the configuration at `index` of the node's `type`, or
// answers CR_NO_MORE_LOG_CONF when there is none.
CONFIGRET OpenConfAt(Machine& m, PLOG_CONF plcLogConf, const DeviceNode* node, uint32_t type,
                     size_t index) {
  std::vector<const LogConfig*> confs = node->LogConfs(type);
  if (index >= confs.size()) return CR_NO_MORE_LOG_CONF;
  if (plcLogConf != nullptr) {
    *plcLogConf = m.Handles().Open(kLogConfHandle,
                                   std::make_shared<OpenLogConf>(node, type, index, confs[index]));
  }
  return CR_SUCCESS;
}

std::shared_ptr<OpenResDes> FindResDes(Machine& m, RES_DES rdResDes) {
  return m.Handles().Find<OpenResDes>(rdResDes, {kResDesHandle});
}

}  // namespace

CONFIGRET CM_Get_First_Log_Conf(PLOG_CONF plcLogConf, DEVINST dnDevInst, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_First_Log_Conf");
  if (m == nullptr) return CR_FAILURE;
  if (plcLogConf != nullptr) *plcLogConf = 0;
  if (ulFlags > OVERRIDE_LOG_CONF) return CR_INVALID_FLAG;
  const DeviceNode* node = m->Devices().Find(dnDevInst);
  if (node == nullptr) return CR_INVALID_DEVNODE;
  return OpenConfAt(*m, plcLogConf, node, ulFlags, 0);
}

CONFIGRET CM_Get_Next_Log_Conf(PLOG_CONF plcLogConf, LOG_CONF lcLogConf, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Next_Log_Conf");
  if (m == nullptr) return CR_FAILURE;
  if (plcLogConf != nullptr) *plcLogConf = 0;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  auto open = m->Handles().Find<OpenLogConf>(lcLogConf, {kLogConfHandle});
  if (!open) return CR_INVALID_LOG_CONF;
  return OpenConfAt(*m, plcLogConf, open->node, open->type, open->index + 1);
}

CONFIGRET CM_Free_Log_Conf_Handle(LOG_CONF lcLogConf) {
  Machine* m = tov::posix::MachineFor("CM_Free_Log_Conf_Handle");
  if (m == nullptr) return CR_FAILURE;
  return tov::posix::ReleaseDeviceHandle(*m, lcLogConf, {kLogConfHandle}) ? CR_SUCCESS : CR_INVALID_LOG_CONF;
}

CONFIGRET CM_Get_Log_Conf_Priority(LOG_CONF lcLogConf, PPRIORITY pPriority, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Log_Conf_Priority");
  if (m == nullptr) return CR_FAILURE;
  if (pPriority == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  auto open = m->Handles().Find<OpenLogConf>(lcLogConf, {kLogConfHandle});
  if (!open) return CR_INVALID_LOG_CONF;
  *pPriority = open->conf->Priority();
  return CR_SUCCESS;
}

CONFIGRET CM_Get_Next_Res_Des(PRES_DES prdResDes, RES_DES rdResDes, RESOURCEID ForResource,
                              PRESOURCEID pResourceID, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Next_Res_Des");
  if (m == nullptr) return CR_FAILURE;
  if (prdResDes == nullptr) return CR_INVALID_POINTER;
  *prdResDes = 0;
  // With ResType_All the caller learns each descriptor's type only here.
  if (ForResource == ResType_All && pResourceID == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  // rdResDes is a configuration (start at its first descriptor) or a descriptor.
  const LogConfig* conf = nullptr;
  size_t index = 0;
  if (auto open_conf = m->Handles().Find<OpenLogConf>(rdResDes, {kLogConfHandle})) {
    conf = open_conf->conf;
  } else if (auto open_res = FindResDes(*m, rdResDes)) {
    conf = open_res->conf;
    index = open_res->index + 1;
  } else {
    return CR_INVALID_RES_DES;
  }
  const auto& descriptors = conf->Descriptors();
  while (index < descriptors.size() && ForResource != ResType_All &&
         descriptors[index].type != ForResource) {
    ++index;
  }
  if (index >= descriptors.size()) return CR_NO_MORE_RES_DES;
  if (pResourceID != nullptr) *pResourceID = descriptors[index].type;
  *prdResDes = m->Handles().Open(kResDesHandle, std::make_shared<OpenResDes>(conf, index));
  return CR_SUCCESS;
}

CONFIGRET CM_Free_Res_Des_Handle(RES_DES rdResDes) {
  Machine* m = tov::posix::MachineFor("CM_Free_Res_Des_Handle");
  if (m == nullptr) return CR_FAILURE;
  // Configuration handles have the descriptors' form: this releases them too.
  return tov::posix::ReleaseDeviceHandle(*m, rdResDes, {kResDesHandle, kLogConfHandle}) ? CR_SUCCESS : CR_INVALID_RES_DES;
}

CONFIGRET CM_Get_Res_Des_Data_Size(PULONG pulSize, RES_DES rdResDes, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Res_Des_Data_Size");
  if (m == nullptr) return CR_FAILURE;
  if (pulSize == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  auto open = FindResDes(*m, rdResDes);
  if (!open) return CR_INVALID_RES_DES;
  *pulSize = static_cast<ULONG>(open->Descriptor().data.size());
  return CR_SUCCESS;
}

CONFIGRET CM_Get_Res_Des_Data(RES_DES rdResDes, PVOID Buffer, ULONG BufferLen, ULONG ulFlags) {
  Machine* m = tov::posix::MachineFor("CM_Get_Res_Des_Data");
  if (m == nullptr) return CR_FAILURE;
  if (Buffer == nullptr) return CR_INVALID_POINTER;
  if (ulFlags != 0) return CR_INVALID_FLAG;
  auto open = FindResDes(*m, rdResDes);
  if (!open) return CR_INVALID_RES_DES;
  const ResourceDescriptor& descriptor = open->Descriptor();
  if (!descriptor.readable) return CR_FAILURE;
  if (descriptor.data.size() > BufferLen) return CR_BUFFER_SMALL;
  if (!descriptor.data.empty()) std::memcpy(Buffer, descriptor.data.data(), descriptor.data.size());
  return CR_SUCCESS;
}
