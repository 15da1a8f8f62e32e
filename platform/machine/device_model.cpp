#include "platform/machine/device_model.h"

#include <new>

#include <cstddef>
#include <stdexcept>

namespace tov::machine {

void ReleaseLedger::Record(uintptr_t handle, bool was_open) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!was_open) ++bad_releases_;
  try {
    ++releases_[handle];
  } catch (const std::bad_alloc&) {
    // The release itself went through; only its count is lost. Releases are
    // made from destructors, where nothing may be thrown.
  }
}

int ReleaseLedger::Releases(uintptr_t handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = releases_.find(handle);
  return it == releases_.end() ? 0 : it->second;
}

int ReleaseLedger::BadReleases() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bad_releases_;
}

DeviceNode& DeviceModel::Root(std::string_view instance_id) {
  if (!root_) root_ = std::make_unique<DeviceNode>(*this, std::string(instance_id), nullptr);
  return *root_;
}

DEVINST DeviceModel::Register(DeviceNode* node) {
  if (!by_id_.emplace(node->InstanceId(), node).second) {
    throw std::invalid_argument("two device nodes with the instance ID " + node->InstanceId());
  }
  nodes_.push_back(node);
  return static_cast<DEVINST>(nodes_.size());
}

void DeviceModel::Remove(const DeviceNode& node) {
  DeviceNode* parent = node.parent_;
  if (parent == nullptr) throw std::invalid_argument("the root device node cannot be removed");
  auto& siblings = parent->children_;
  std::unique_ptr<DeviceNode> removed = std::move(siblings[node.index_in_parent_]);
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(node.index_in_parent_));
  for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->index_in_parent_ = i;
  // The subtree leaves the indexes; its handles are never handed out again.
  std::vector<const DeviceNode*> pending{removed.get()};
  while (!pending.empty()) {
    const DeviceNode* gone = pending.back();
    pending.pop_back();
    nodes_[gone->Handle() - 1] = nullptr;
    by_id_.erase(gone->InstanceId());
    for (const auto& child : gone->children_) pending.push_back(child.get());
  }
  removed_.push_back(std::move(removed));
}

const DeviceNode* DeviceModel::Find(DEVINST handle) const {
  return handle >= 1 && handle <= nodes_.size() ? nodes_[handle - 1] : nullptr;
}

const DeviceNode* DeviceModel::FindById(std::string_view instance_id) const {
  auto it = by_id_.find(instance_id);
  return it == by_id_.end() ? nullptr : it->second;
}

SetupClass& DeviceModel::Class(std::string_view guid_text) {
  GUID guid{};
  if (!ReadGuidText(guid_text, &guid)) {
    throw std::invalid_argument("not a braced GUID: " + std::string(guid_text));
  }
  for (auto& c : classes_) {
    if (c->Guid() == guid) return *c;
  }
  classes_.push_back(std::make_unique<SetupClass>(guid));
  return *classes_.back();
}

const SetupClass* DeviceModel::FindClass(const GUID& guid) const {
  for (const auto& c : classes_) {
    if (c->Guid() == guid) return c.get();
  }
  return nullptr;
}

DriverPackage& DeviceModel::AddDriver(std::string_view inf) {
  drivers_.push_back(std::make_unique<DriverPackage>(inf));
  return *drivers_.back();
}

DeviceModel& DeviceModel::Version(WORD version) {
  version_ = version;
  return *this;
}

DeviceModel& DeviceModel::GlobalState(ULONG state) {
  global_state_ = state;
  return *this;
}

}  // namespace tov::machine
