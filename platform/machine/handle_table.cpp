#include "platform/machine/handle_table.h"

#include <algorithm>

namespace tov::machine {

namespace {
bool KindIn(const std::string& kind, std::initializer_list<HandleKind> kinds) {
  return std::any_of(kinds.begin(), kinds.end(),
                     [&](const HandleKind& k) { return kind == k.name; });
}
}  // namespace

uintptr_t HandleTable::Open(HandleKind kind, std::shared_ptr<HandleObject> object) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Multiples of 4, like the platform's own handle values, and below the
  // predefined registry roots (0x80000000 and up) so the two never meet.
  uintptr_t handle = next_;
  next_ += 4;
  open_[handle] = Entry{kind.name, std::move(object)};
  ++opened_[kind.name];
  return handle;
}

std::shared_ptr<HandleObject> HandleTable::FindObject(
    uintptr_t handle, std::initializer_list<HandleKind> kinds) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = open_.find(handle);
  if (it == open_.end() || !KindIn(it->second.kind, kinds)) return nullptr;
  return it->second.object;
}

bool HandleTable::Close(uintptr_t handle, std::initializer_list<HandleKind> kinds) {
  std::shared_ptr<HandleObject> released;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = open_.find(handle);
    if (it == open_.end() || !KindIn(it->second.kind, kinds)) return false;
    released = std::move(it->second.object);
    open_.erase(it);
  }
  // The object may be destroyed here, outside the lock: its destructor may
  // itself reach the table.
  return true;
}

int HandleTable::OpenCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(open_.size());
}

int HandleTable::OpenCount(HandleKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(open_.begin(), open_.end(), [&](const auto& e) {
    return e.second.kind == kind.name;
  }));
}

int HandleTable::OpenedCount(HandleKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = opened_.find(std::string_view(kind.name));
  return it == opened_.end() ? 0 : it->second;
}

}  // namespace tov::machine
