// The state of the loaded service units, asked of the running manager over
// the system bus.
#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/machine/live/live_files.h"
#include "platform/machine/live/live_services_units.h"

namespace tov::machine::live {

namespace {

constexpr const char* kDestination = "org.freedesktop.systemd1";
constexpr const char* kManagerPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
constexpr const char* kService = "org.freedesktop.systemd1.Service";
// A manager that does not answer within this time is taken as absent.
constexpr uint64_t kCallTimeoutUsec = 2'000'000;

struct BusDeleter {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageDeleter {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

// Reads the entries of ListUnitsByPatterns' answer:
// (name, description, load state, active state, sub state, followed, unit
// path, job id, job type, job path).
void ReadUnits(sd_bus* bus, sd_bus_message* reply, std::map<std::string, UnitState>& states) {
  if (sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "(ssssssouso)") < 0) return;
  const char *name, *description, *load, *active, *sub, *followed, *path, *job_type, *job_path;
  uint32_t job_id;
  while (sd_bus_message_read(reply, "(ssssssouso)", &name, &description, &load, &active, &sub,
                             &followed, &path, &job_id, &job_type, &job_path) > 0) {
    if (std::string_view(load) == "not-found") continue;
    UnitState& state = states[name];
    state.description = description;
    state.active_state = active;
    if (state.active_state == "failed") {
      int32_t status = 0;
      if (sd_bus_get_property_trivial(bus, kDestination, path, kService, "ExecMainStatus", nullptr,
                                      'i', &status) >= 0) {
        state.exit_status = status;
      }
    }
  }
}

}  // namespace

std::map<std::string, UnitState> UnitStatesOver(sd_bus* bus) {
  std::map<std::string, UnitState> states;
  // For every call on this connection: the list and each failed unit's status.
  sd_bus_set_method_call_timeout(bus, kCallTimeoutUsec);
  sd_bus_message* raw_call = nullptr;
  if (sd_bus_message_new_method_call(bus, &raw_call, kDestination, kManagerPath, kManager,
                                     "ListUnitsByPatterns") < 0) {
    return states;
  }
  std::unique_ptr<sd_bus_message, MessageDeleter> call(raw_call);
  const char* kAllStates[] = {nullptr};
  const char* kServices[] = {"*.service", nullptr};
  if (sd_bus_message_append_strv(call.get(), const_cast<char**>(kAllStates)) < 0 ||
      sd_bus_message_append_strv(call.get(), const_cast<char**>(kServices)) < 0) {
    return states;
  }
  sd_bus_message* raw_reply = nullptr;
  if (sd_bus_call(bus, call.get(), 0, nullptr, &raw_reply) < 0) return states;
  std::unique_ptr<sd_bus_message, MessageDeleter> reply(raw_reply);
  ReadUnits(bus, reply.get(), states);
  return states;
}

std::map<std::string, UnitState> LoadedUnitStates(const LiveRoot& where) {
  // A captured tree has no manager to ask; the running one is the host's.
  if (!where.IsHost() || !IsDirectory(where, "/run/systemd/system")) return {};
  sd_bus* raw_bus = nullptr;
  if (sd_bus_open_system(&raw_bus) < 0) return {};
  std::unique_ptr<sd_bus, BusDeleter> bus(raw_bus);
  return UnitStatesOver(bus.get());
}

}  // namespace tov::machine::live
