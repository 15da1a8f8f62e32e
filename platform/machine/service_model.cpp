#include "platform/machine/service_model.h"

namespace tov::machine {

namespace {
constexpr std::string_view kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";
}  // namespace

MachineService::MachineService(std::string name, RegistryKey& hklm)
    : name_(std::move(name)), display_name_(name_), hklm_(&hklm) {
  status_.dwServiceType = config_.service_type;
  status_.dwCurrentState = SERVICE_STOPPED;
}

RegistryKey& MachineService::Key() { return hklm_->Key(std::string(kServicesKey) + name_); }

MachineService& MachineService::DisplayName(std::string_view name) {
  display_name_ = std::string(name);
  Key().Sz("DisplayName", name);
  return *this;
}

MachineService& MachineService::Type(uint32_t service_type) {
  status_.dwServiceType = config_.service_type = service_type;
  Key().Dword("Type", service_type);
  return *this;
}

MachineService& MachineService::StartType(uint32_t start_type) {
  config_.start_type = start_type;
  Key().Dword("Start", start_type);
  return *this;
}

MachineService& MachineService::ErrorControl(uint32_t error_control) {
  config_.error_control = error_control;
  Key().Dword("ErrorControl", error_control);
  return *this;
}

MachineService& MachineService::ImagePath(std::string_view path) {
  config_.binary_path = std::string(path);
  Key().ExpandSz("ImagePath", path);
  return *this;
}

MachineService& MachineService::BinaryPath(std::string_view path) {
  config_.binary_path = std::string(path);
  return *this;
}

MachineService& MachineService::Group(std::string_view group) {
  config_.load_order_group = std::string(group);
  Key().Sz("Group", group);
  return *this;
}

MachineService& MachineService::Tag(uint32_t tag_id) {
  config_.tag_id = tag_id;
  Key().Dword("Tag", tag_id);
  return *this;
}

MachineService& MachineService::Dependencies(std::vector<std::string> names) {
  std::vector<std::string> services;
  std::vector<std::string> groups;
  for (const std::string& name : names) {
    if (!name.empty() && name[0] == '+') {
      groups.push_back(name.substr(1));
    } else {
      services.push_back(name);
    }
  }
  config_.dependencies = std::move(names);
  if (!services.empty()) Key().MultiSz("DependOnService", services);
  if (!groups.empty()) Key().MultiSz("DependOnGroup", groups);
  return *this;
}

MachineService& MachineService::StartName(std::string_view account) {
  config_.start_name = std::string(account);
  Key().Sz("ObjectName", account);
  return *this;
}

MachineService& MachineService::Description(std::string_view text) {
  Key().Sz("Description", text);
  return *this;
}

MachineService& MachineService::ServiceDll(std::string_view path) {
  Key().Key("Parameters").ExpandSz("ServiceDll", path);
  return *this;
}

MachineService& MachineService::Status(const SERVICE_STATUS& status) {
  status_ = status;
  config_.service_type = status.dwServiceType;
  return *this;
}

MachineService& MachineService::State(uint32_t state) {
  status_.dwCurrentState = state;
  return *this;
}

MachineService& MachineService::DenyAccess() {
  access_denied_ = true;
  return *this;
}

MachineService& ServiceModel::Add(std::string_view name, RegistryKey& hklm) {
  auto it = by_name_.find(name);
  if (it != by_name_.end()) return *it->second;
  services_.push_back(std::make_unique<MachineService>(std::string(name), hklm));
  by_name_.emplace(std::string(name), services_.back().get());
  return *services_.back();
}

const MachineService* ServiceModel::Find(std::string_view name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : it->second;
}

ServiceModel& ServiceModel::RefuseOpen(uint32_t error) {
  open_refusal_ = error;
  return *this;
}

ServiceModel& ServiceModel::FailEnumeration(int call, uint32_t error) {
  failing_call_ = call;
  failing_error_ = error;
  return *this;
}

std::optional<uint32_t> ServiceModel::EnumerationFailure(int call) const {
  if (call != failing_call_) return std::nullopt;
  return failing_error_;
}

}  // namespace tov::machine
