#include "tools/tovdump/record_fields.h"

#include "devtree/cm_device.h"
#include "eventlog/el_event.h"
#include "services/scm_service.h"
#include "tools/tovdump/report_json.h"

namespace tovdump {

namespace {

FieldValue Text(const char* pszKey, const std::string& strValue) { return {pszKey, true, strValue}; }
FieldValue Number(const char* pszKey, unsigned long long value) { return {pszKey, false, std::to_string(value)}; }

}  // namespace

std::vector<FieldValue> DeviceFields(const CCmDevice& d) {
  return {
      Number("dev_inst", d.m_dnDevInst),
      Number("parent", d.m_dnParent),
      Number("sibling", d.m_dnSibling),
      Number("child", d.m_dnChild),
      Text("device_id", d.m_strDeviceId),
      Text("device_desc", d.m_strDeviceDesc),
      Text("friendly_name", d.m_strFriendlyName),
      Text("mfg", d.m_strMfg),
      Text("location_info", d.m_strLocationInfo),
      Text("enumerator_name", d.m_strEnumeratorName),
      Number("address", d.m_ulAddress),
      Number("ui_number", d.m_ulUINumber),
      Number("characteristics", d.m_ulCharacteristics),
      Number("capabilities", d.m_ulCapabilities),
      Text("hardware_ids", d.m_strHardwareIds),
      Text("compatible_ids", d.m_strCompatibleIds),
      Text("driver_files", d.m_strDriverFiles),
      Text("inf_path", d.m_strInfPath),
      Text("inf_section", d.m_strInfSection),
      Text("co_installers", d.m_strCoInstallers),
      Text("enum_prop_pages", d.m_strEnumPropPages),
      Text("installer", d.m_strInstaller),
      Text("lower_filters", d.m_strLowerFilters),
      Text("upper_filters", d.m_strUpperFilters),
      Text("provider_name", d.m_strProviderName),
      Number("device_reference", d.m_ulDeviceReference),
      Text("class_guid", d.m_strClassGuid),
      Text("guid_class", GuidText(d.m_guidClass)),
      Text("class_name", d.m_strClassName),
      Text("class_desc", d.m_strClassDesc),
      Text("class_co_installers", d.m_strClassCoInstallers),
      Text("class_enum_prop_pages", d.m_strClassEnumPropPages),
      Text("class_installer", d.m_strClassInstaller),
      Text("class_trouble_shooter", d.m_strClassTroubleShooter),
      Text("class_lower_filters", d.m_strClassLowerFilters),
      Text("class_upper_filters", d.m_strClassUpperFilters),
      Text("driver_key", d.m_strDriverKey),
      Text("service", d.m_strService),
      Text("service_path", d.m_strServicePath),
      Text("pdo_name", d.m_strPdoName),
      Number("status", d.m_ulStatus),
      Number("problem", d.m_ulProblem),
      Number("pci_address", d.m_wPciAddress),
  };
}

std::vector<FieldValue> ServiceFields(const CSCMService& s) {
  return {
      Text("service_name", s.m_strServiceName),
      Text("display_name", s.m_strDisplayName),
      Text("description", s.m_strDescription),
      Number("service_type", s.m_dwServiceType),
      Number("start_type", s.m_dwStartType),
      Number("error_control", s.m_dwErrorControl),
      Text("binary_path_name", s.m_strBinaryPathName),
      Text("load_order_group", s.m_strLoadOrderGroup),
      Number("tag_id", s.m_dwTagId),
      Text("service_start_name", s.m_strServiceStartName),
      Text("dependencies", s.m_strDependencies),
      Text("service_dll", s.m_strServiceDll),
  };
}

std::vector<FieldValue> EventTextFields(const CElEvent& e) {
  return {Text("message", e.m_strMessage), Text("category", e.m_strCategory), Text("user", e.m_strUser)};
}

}  // namespace tovdump
