/// The handles a machine has handed out to the platform operations, by kind,
/// so a test can check that every key, event, thread or service handle it
/// opened was released again.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tov::machine {

/// What a handle refers to. Each domain declares its own kinds next to its
/// objects (`inline constexpr HandleKind kRegistryKeyHandle{"registry key"};`);
/// kinds are told apart by name.
struct HandleKind {
  const char* name;
};

/// The kernel objects of the platform layer itself.
inline constexpr HandleKind kEventHandle{"event"};
inline constexpr HandleKind kThreadHandle{"thread"};

/// Base of every object a handle refers to.
class HandleObject {
 public:
  virtual ~HandleObject() = default;
};

/// Thread-safe table of open handles: value -> (kind, object).
class HandleTable {
 public:
  /// Registers `object` and returns its new handle value (never 0, never reused).
  uintptr_t Open(HandleKind kind, std::shared_ptr<HandleObject> object);

  /// The object behind `handle` when it is open and of one of `kinds`, else null.
  template <class T>
  std::shared_ptr<T> Find(uintptr_t handle, std::initializer_list<HandleKind> kinds) const {
    return std::dynamic_pointer_cast<T>(FindObject(handle, kinds));
  }

  /// Releases `handle` when it is open and of one of `kinds`; false otherwise.
  bool Close(uintptr_t handle, std::initializer_list<HandleKind> kinds);

  /// Handles open now, in all or of one kind.
  int OpenCount() const;
  int OpenCount(HandleKind kind) const;
  /// Handles of one kind handed out so far, closed or not.
  int OpenedCount(HandleKind kind) const;

 private:
  struct Entry {
    std::string kind;
    std::shared_ptr<HandleObject> object;
  };
  std::shared_ptr<HandleObject> FindObject(uintptr_t handle,
                                           std::initializer_list<HandleKind> kinds) const;

  mutable std::mutex mutex_;
  uintptr_t next_ = 0x1000;
  std::map<uintptr_t, Entry> open_;
  std::map<std::string, int, std::less<>> opened_;
};

}  // namespace tov::machine
