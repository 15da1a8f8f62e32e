// The states of the loaded units as the running manager reports them, asked
// of a manager made here: an sd-bus server at the other end of a socket pair
// that answers ListUnitsByPatterns and a failed unit's ExecMainStatus. Then
// the states as the services' status.
#include <sys/socket.h>
#include <unistd.h>

#include <systemd/sd-bus.h>
#include <systemd/sd-id128.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/machine/current_machine.h"
#include "platform/machine/live/live_services_units.h"
#include "platform/machine/machine.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "tests/services/record_support.h"
#include "win32_api.h"

namespace tov::machine::live {
namespace {

constexpr const char* kRoot = TOV_FIXTURES_DIR "/live-services";

struct ListedUnit {
  const char* name;
  const char* description;
  const char* load;
  const char* active;
  const char* path;
};

const ListedUnit kListed[] = {
    {"cron.service", "Regular background program processing daemon", "loaded", "active",
     "/org/freedesktop/systemd1/unit/cron_2eservice"},
    {"gone.service", "gone.service", "not-found", "inactive",
     "/org/freedesktop/systemd1/unit/gone_2eservice"},
    {"broken.service", "Broken", "loaded", "failed",
     "/org/freedesktop/systemd1/unit/broken_2eservice"},
    {"getty@tty2.service", "Getty on tty2", "loaded", "activating",
     "/org/freedesktop/systemd1/unit/getty_40tty2_2eservice"},
};
constexpr int32_t kBrokenStatus = 3;

// What the manager was asked.
struct Asked {
  std::vector<std::string> states;
  std::vector<std::string> patterns;
};

std::vector<std::string> ReadStrv(sd_bus_message* m) {
  std::vector<std::string> out;
  char** strv = nullptr;
  if (sd_bus_message_read_strv(m, &strv) < 0 || strv == nullptr) return out;
  for (char** s = strv; *s != nullptr; ++s) {
    out.emplace_back(*s);
    free(*s);
  }
  free(strv);
  return out;
}

int ListUnitsByPatterns(sd_bus_message* call, void* userdata, sd_bus_error*) {
  auto* asked = static_cast<Asked*>(userdata);
  asked->states = ReadStrv(call);
  asked->patterns = ReadStrv(call);
  sd_bus_message* reply = nullptr;
  int r = sd_bus_message_new_method_return(call, &reply);
  if (r < 0) return r;
  sd_bus_message_open_container(reply, 'a', "(ssssssouso)");
  for (const ListedUnit& u : kListed) {
    sd_bus_message_append(reply, "(ssssssouso)", u.name, u.description, u.load, u.active, "",
                          "", u.path, 0u, "", "/");
  }
  sd_bus_message_close_container(reply);
  r = sd_bus_send(nullptr, reply, nullptr);
  sd_bus_message_unref(reply);
  return r < 0 ? r : 1;
}

int ExecMainStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                   sd_bus_error*) {
  return sd_bus_message_append(reply, "i", kBrokenStatus);
}

const sd_bus_vtable kManagerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("ListUnitsByPatterns", "asas", "a(ssssssouso)", ListUnitsByPatterns, 0),
    SD_BUS_VTABLE_END};

const sd_bus_vtable kServiceTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("ExecMainStatus", "i", ExecMainStatus, 0, 0),
    SD_BUS_VTABLE_END};

// A manager at one end of a socket pair, served on a thread of its own, and
// a started connection to it.
class FakeManager {
 public:
  FakeManager() {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    sd_id128_t id;
    sd_id128_randomize(&id);
    sd_bus_new(&server_);
    sd_bus_set_fd(server_, fds[0], fds[0]);
    sd_bus_set_server(server_, 1, id);
    sd_bus_add_object_vtable(server_, nullptr, "/org/freedesktop/systemd1",
                             "org.freedesktop.systemd1.Manager", kManagerTable, &asked_);
    sd_bus_add_object_vtable(server_, nullptr, "/org/freedesktop/systemd1/unit/broken_2eservice",
                             "org.freedesktop.systemd1.Service", kServiceTable, nullptr);
    sd_bus_new(&client_);
    sd_bus_set_fd(client_, fds[1], fds[1]);
    if (sd_bus_start(server_) < 0 || sd_bus_start(client_) < 0) return;
    serving_ = std::thread([this] {
      while (!stop_) {
        if (sd_bus_process(server_, nullptr) > 0) continue;
        sd_bus_wait(server_, 20'000);
      }
    });
    started_ = true;
  }
  ~FakeManager() {
    stop_ = true;
    if (serving_.joinable()) serving_.join();
    sd_bus_flush_close_unref(client_);
    sd_bus_flush_close_unref(server_);
  }
  /// Ends the manager's side: the next call finds no one to answer.
  void Vanish() {
    stop_ = true;
    if (serving_.joinable()) serving_.join();
    sd_bus_close(server_);
  }

  bool started_ = false;
  sd_bus* client_ = nullptr;
  Asked asked_;

 private:
  sd_bus* server_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread serving_;
};

TEST(LiveServiceStates, AskedOfTheManager) {
  FakeManager manager;
  ASSERT_TRUE(manager.started_);
  std::map<std::string, UnitState> states = UnitStatesOver(manager.client_);
  EXPECT_EQ(manager.asked_.states, std::vector<std::string>{});  // every state
  EXPECT_EQ(manager.asked_.patterns, std::vector<std::string>{"*.service"});

  ASSERT_EQ(states.size(), 3u) << "a unit the manager did not find is left out";
  EXPECT_EQ(states["cron.service"].active_state, "active");
  EXPECT_EQ(states["cron.service"].description, "Regular background program processing daemon");
  EXPECT_EQ(states["cron.service"].exit_status, 0);
  EXPECT_EQ(states["broken.service"].active_state, "failed");
  EXPECT_EQ(states["broken.service"].exit_status, kBrokenStatus);
  EXPECT_EQ(states["getty@tty2.service"].active_state, "activating");
  EXPECT_EQ(states.count("gone.service"), 0u);
}

TEST(LiveServiceStates, AManagerThatHasGoneGivesNoStates) {
  FakeManager manager;
  ASSERT_TRUE(manager.started_);
  manager.Vanish();
  EXPECT_TRUE(UnitStatesOver(manager.client_).empty());
}

// The states as the inventory's status of the captured tree's units.
TEST(LiveServiceStates, StatesAsTheServicesStatus) {
  std::map<std::string, UnitState> states = {
      {"dbus.service", {"", "active", 0}},
      {"postgresql.service", {"", "failed", 255}},
      {"getty@tty2.service", {"", "activating", 0}},
      {"systemd-journald.service", {"", "deactivating", 0}},
  };
  Machine m;
  ReadLiveServices(LiveRoot{kRoot}, states)(m);
  ScopedMachine use(m);
  CSCMServiceMan man;
  man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  struct Case {
    const char* name;
    DWORD state;
    DWORD accepted;
    DWORD exit_code;
    DWORD specific;
  };
  const Case cases[] = {
      {"dbus", SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0},
      {"postgresql", SERVICE_STOPPED, 0, ERROR_SERVICE_SPECIFIC_ERROR, 255},
      {"getty@tty2", SERVICE_START_PENDING, 0, 0, 0},  // loaded from its template
      {"systemd-journald", SERVICE_STOP_PENDING, 0, 0, 0},
      {"systemd-timesyncd", SERVICE_STOPPED, 0, 0, 0},  // not loaded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CSCMService* s = test::FindService(man, c.name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_status.dwCurrentState, c.state);
    EXPECT_EQ(s->m_status.dwControlsAccepted, c.accepted);
    EXPECT_EQ(s->m_status.dwWin32ExitCode, c.exit_code);
    EXPECT_EQ(s->m_status.dwServiceSpecificExitCode, c.specific);
  }
}

}  // namespace
}  // namespace tov::machine::live
