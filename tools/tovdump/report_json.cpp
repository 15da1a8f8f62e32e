// Key names are the members' names without the m_ and type prefixes, in
// snake case. Devices are written as a tree with an explicit stack, so a
// hostile tree of any depth cannot exhaust the C++ stack here either.
#include "tools/tovdump/report_json.h"

#include <cstdio>

#include "devtree/cm_dev_tree.h"
#include "devtree/cm_log_conf.h"
#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "sysinfo/system_info.h"
#include "tools/tovdump/raw_blocks.h"
#include "tools/tovdump/record_fields.h"

namespace tovdump {

namespace {

void WriteBlock(JsonWriter& json, const char* pszKey, const BYTE* p, size_t n,
                void (*pfnWrite)(JsonWriter&, const uint8_t*, size_t)) {
  json.Key(pszKey);
  if (p == nullptr) {
    json.Null();
    return;
  }
  json.BeginObject();
  pfnWrite(json, p, n);
  json.EndObject();
}

void WriteSystemInfo(JsonWriter& json, const CSystemInfo* pInfo) {
  json.Key("system_info");
  if (pInfo == nullptr) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("computer_name").Text(pInfo->m_strComputerName);
  json.Key("windows_dir").Text(pInfo->m_strWindowsDir);
  WriteBlock(json, "system_info", pInfo->m_pSystemInfo.get(), pInfo->m_cbSystemInfo, WriteSystemInfoBlock);
  WriteBlock(json, "version_info", pInfo->m_pVersionInfo.get(), pInfo->m_cbVersionInfo, WriteVersionInfoBlock);
  json.EndObject();
}

void WriteLogConfs(JsonWriter& json, const CCmDevice& device) {
  json.Key("log_confs").BeginArray();
  for (ULONG nType = 0; nType < kLogConfTypes; ++nType) {
    for (const CCmLogConf* pConf = device.m_apLogConf[nType]; pConf != nullptr; pConf = pConf->m_pNext) {
      json.BeginObject();
      json.Key("slot").Uint(nType);
      json.Key("log_conf").Uint(pConf->m_hLogConf);
      json.Key("type").Uint(pConf->m_ulType);
      json.Key("priority").Uint(pConf->m_ulPriority);
      json.Key("res_des").BeginArray();
      for (const CCmResDes* pRes = pConf->m_pFirstResDes; pRes != nullptr; pRes = pRes->m_pNext) {
        json.BeginObject();
        json.Key("res_des").Uint(pRes->m_hResDes);
        json.Key("res_type").Uint(pRes->m_ulResType);
        json.Key("requirements").Bool(pRes->m_bRequirements != FALSE);
        json.Key("data_size").Uint(pRes->m_ulDataSize);
        json.Key("data");
        if (pRes->m_pData == nullptr) {
          json.Null();
        } else {
          json.BeginObject();
          WriteResourceBlock(json, pRes->m_ulResType, pRes->m_pData.get(), pRes->m_ulDataSize);
          json.EndObject();
        }
        json.EndObject();
      }
      json.EndArray();
      json.EndObject();
    }
  }
  json.EndArray();
}

void WriteFieldValues(JsonWriter& json, const std::vector<FieldValue>& fields) {
  for (const FieldValue& f : fields) {
    json.Key(f.pszKey);
    if (f.bText) {
      json.Text(f.strValue);
    } else {
      json.Number(f.strValue);
    }
  }
}

// The root device and its siblings, each with its subtree in "children".
void WriteDevices(JsonWriter& json, const CCmDevice* pRoot) {
  json.Key("devices").BeginArray();
  std::vector<const CCmDevice*> next{pRoot};  // per open array: the device to write next
  while (!next.empty()) {
    const CCmDevice* pDevice = next.back();
    if (pDevice == nullptr) {
      next.pop_back();
      json.EndArray();
      if (!next.empty()) json.EndObject();
      continue;
    }
    next.back() = pDevice->m_pNextSibling;
    json.BeginObject();
    WriteFieldValues(json, DeviceFields(*pDevice));
    WriteLogConfs(json, *pDevice);
    json.Key("children").BeginArray();
    next.push_back(pDevice->m_pFirstChild);
  }
}

void WriteDevTree(JsonWriter& json, const CCmDevTree& tree) {
  json.Key("cm_version").Uint(tree.m_wCmVersion);
  json.Key("global_state").Uint(tree.m_ulGlobalState);
  WriteSystemInfo(json, tree.m_pSysInfo);
  WriteDevices(json, tree.m_pRoot);
}

void WriteVersionInfo(JsonWriter& json, const CSCMFileVerInfo* pInfo) {
  json.Key("ver_info");
  if (pInfo == nullptr) {
    json.Null();
    return;
  }
  json.BeginObject();
  const std::pair<const char*, const std::string*> texts[] = {
      {"file_name", &pInfo->m_strFileName},
      {"comments", &pInfo->m_strComments},
      {"internal_name", &pInfo->m_strInternalName},
      {"product_name", &pInfo->m_strProductName},
      {"company_name", &pInfo->m_strCompanyName},
      {"legal_copyright", &pInfo->m_strLegalCopyright},
      {"product_version", &pInfo->m_strProductVersion},
      {"file_description", &pInfo->m_strFileDescription},
      {"legal_trademarks", &pInfo->m_strLegalTrademarks},
      {"private_build", &pInfo->m_strPrivateBuild},
      {"file_version", &pInfo->m_strFileVersion},
      {"original_filename", &pInfo->m_strOriginalFilename},
      {"special_build", &pInfo->m_strSpecialBuild},
  };
  for (const auto& [pszKey, pText] : texts) json.Key(pszKey).Text(*pText);
  json.EndObject();
}

void WriteServices(JsonWriter& json, const CSCMServiceMan& man) {
  json.Key("machine_name").Text(man.m_strMachineName);
  json.Key("database_name").Text(man.m_strDatabaseName);
  json.Key("reserved").Uint(man.m_dwReserved);
  json.Key("count").Uint(man.m_nCount);
  json.Key("services").BeginArray();
  for (const CSCMService* p = man.m_pFirst; p != nullptr; p = p->m_pNext) {
    json.BeginObject();
    WriteFieldValues(json, ServiceFields(*p));
    WriteBlock(json, "status", reinterpret_cast<const BYTE*>(&p->m_status), sizeof p->m_status,
               WriteServiceStatusBlock);
    WriteVersionInfo(json, p->m_pVerInfo);
    json.EndObject();
  }
  json.EndArray();
}

void WriteEventLog(JsonWriter& json, const CElEventLog& log) {
  json.Key("server_name").Text(log.m_strServerName);
  json.Key("log_name").Text(log.m_strLogName);
  json.Key("time_captured").String(FormatUtc(log.m_timeCaptured.GetTime()));
  json.Key("filter").Uint(log.m_dwFilter);
  json.Key("time_start").String(FormatUtc(log.m_timeStart.GetTime()));
  json.Key("span_window").Int(log.m_spanWindow.GetTotalSeconds());
  json.Key("max_events").Uint(log.m_nMaxEvents);
  json.Key("count").Uint(log.m_nCount);
  json.Key("events").BeginArray();
  for (const CElEvent* p = log.m_pFirst; p != nullptr; p = p->m_pNext) {
    json.BeginObject();
    json.Key("record");
    if (p->m_pRecord == nullptr) {
      json.Null();
    } else {
      json.BeginObject();
      WriteEventRecordBlock(json, p->m_pRecord, Le32(p->m_pRecord));
      json.EndObject();
    }
    WriteFieldValues(json, EventTextFields(*p));
    json.EndObject();
  }
  json.EndArray();
}

void WriteRecord(JsonWriter& json, const CObject& object) {
  json.Key("record").BeginObject();
  if (object.IsKindOf(RUNTIME_CLASS(CCmDevTree))) {
    WriteDevTree(json, static_cast<const CCmDevTree&>(object));
  } else if (object.IsKindOf(RUNTIME_CLASS(CSCMServiceMan))) {
    WriteServices(json, static_cast<const CSCMServiceMan&>(object));
  } else if (object.IsKindOf(RUNTIME_CLASS(CElEventLog))) {
    WriteEventLog(json, static_cast<const CElEventLog&>(object));
  }
  json.EndObject();
}

}  // namespace

std::string GuidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

void WriteStreamJson(JsonWriter& json, const LoadedStream& stream) {
  static const char* const kStates[] = {"loaded", "missing", "failed"};
  json.BeginObject();
  json.Key("status").String(kStates[stream.state]);
  json.Key("bytes").Uint(stream.nBytes);
  if (!stream.strProblem.empty()) json.Key("error").String(stream.strProblem);
  if (stream.pObject) WriteRecord(json, *stream.pObject);
  json.EndObject();
}

}  // namespace tovdump
