#include "platform/machine/device_node.h"

#include "platform/machine/device_model.h"
#include "win32/registry.h"

namespace tov::machine {

LogConfig& LogConfig::Res(RESOURCEID type, std::vector<uint8_t> data) {
  descriptors_.push_back(ResourceDescriptor{type, std::move(data), true});
  return *this;
}

LogConfig& LogConfig::UnreadableRes(RESOURCEID type, uint32_t size) {
  descriptors_.push_back(ResourceDescriptor{type, std::vector<uint8_t>(size), false});
  return *this;
}

DeviceNode::DeviceNode(DeviceModel& model, std::string instance_id, DeviceNode* parent)
    : model_(model), instance_id_(std::move(instance_id)), parent_(parent) {
  handle_ = model_.Register(this);
}

DeviceNode& DeviceNode::Child(std::string_view instance_id) {
  children_.push_back(std::make_unique<DeviceNode>(model_, std::string(instance_id), this));
  children_.back()->index_in_parent_ = children_.size() - 1;
  return *children_.back();
}

DeviceNode& DeviceNode::Prop(ULONG property, std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return PropRaw(property, REG_SZ, std::move(bytes));
}

DeviceNode& DeviceNode::PropDword(ULONG property, uint32_t value) {
  std::vector<uint8_t> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return PropRaw(property, REG_DWORD, std::move(bytes));
}

DeviceNode& DeviceNode::PropRaw(ULONG property, uint32_t type, std::vector<uint8_t> data) {
  properties_[property] = DeviceProperty{type, std::move(data)};
  return *this;
}

DeviceNode& DeviceNode::Status(ULONG status, ULONG problem) {
  status_ = std::make_pair(status, problem);
  return *this;
}

DeviceNode& DeviceNode::NoStatus() {
  status_.reset();
  return *this;
}

LogConfig& DeviceNode::LogConf(uint32_t type, PRIORITY priority) {
  log_confs_.push_back(std::make_unique<LogConfig>(type, priority));
  return *log_confs_.back();
}

const DeviceNode* DeviceNode::FirstChild() const {
  return children_.empty() ? nullptr : children_.front().get();
}

const DeviceNode* DeviceNode::NextSibling() const {
  if (parent_ == nullptr) return nullptr;
  size_t next = index_in_parent_ + 1;
  return next < parent_->children_.size() ? parent_->children_[next].get() : nullptr;
}

const DeviceProperty* DeviceNode::FindProp(ULONG property) const {
  auto it = properties_.find(property);
  return it == properties_.end() ? nullptr : &it->second;
}

std::vector<const LogConfig*> DeviceNode::LogConfs(uint32_t type) const {
  std::vector<const LogConfig*> found;
  for (const auto& conf : log_confs_) {
    if (conf->Type() == type) found.push_back(conf.get());
  }
  return found;
}

}  // namespace tov::machine
