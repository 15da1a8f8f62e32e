// Choosing the machine: the fixture TOV_MACHINE names, else the live system
// below TOV_LIVE_ROOT (or "/"); an unusable choice is refused with a reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine_selection.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

const std::string kSmallMachine = std::string(TOV_FIXTURES_DIR) + "/small_machine.json";
const std::string kLiveRoot = std::string(TOV_FIXTURES_DIR) + "/live_root";

// Sets an environment variable (or removes it for null) for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class MachineVariable : public ScopedVariable {
 public:
  explicit MachineVariable(const char* value) : ScopedVariable("TOV_MACHINE", value) {}
};

TEST(MachineSelection, FixtureNamedByTheVariable) {
  MachineVariable var(kSmallMachine.c_str());
  std::string error;
  std::unique_ptr<Machine> m = LoadMachineFromEnvironment(&error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->ComputerName(), "WS-0815");
}

TEST(MachineSelection, WithoutAFixtureTheLiveSystem) {
  // An empty TOV_MACHINE counts as unset; the fixture wins over TOV_LIVE_ROOT.
  struct Case {
    const char* machine;
    const char* live_root;
    const char* computer_name;
  };
  const Case cases[] = {
      {nullptr, kLiveRoot.c_str(), "VM"},
      {"", kLiveRoot.c_str(), "VM"},
      {kSmallMachine.c_str(), kLiveRoot.c_str(), "WS-0815"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine ? c.machine : "(unset)");
    MachineVariable var(c.machine);
    ScopedVariable root("TOV_LIVE_ROOT", c.live_root);
    std::string error;
    std::unique_ptr<Machine> m = LoadMachineFromEnvironment(&error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->ComputerName(), c.computer_name);
  }
  // The live machine has the device libraries, with every entry point.
  MachineVariable var(nullptr);
  ScopedVariable root("TOV_LIVE_ROOT", kLiveRoot.c_str());
  std::string error;
  std::unique_ptr<Machine> m = LoadMachineFromEnvironment(&error);
  ASSERT_TRUE(m) << error;
  for (const char* library : {"CFGMGR32.DLL", "SETUPAPI.DLL", "NEWDEV.DLL"}) {
    EXPECT_NE(m->Libraries().Find(library), nullptr) << library;
  }
  EXPECT_TRUE(m->Libraries().Find("cfgmgr32.dll")->HasExport("CM_Get_Res_Des_Data"));
  EXPECT_TRUE(m->Libraries().Find("setupapi.dll")->HasExport("SetupScanFileQueueA"));
  EXPECT_NE(m->Devices().FindById("PCI\\VEN_1AF4&DEV_1041&SUBSYS_10411AF4&REV_01\\0000:00:03.0"),
            nullptr);
}

TEST(MachineSelection, UnusableChoicesAreRefused) {
  struct Case {
    const char* machine;
    const char* live_root;
    std::string error;
  };
  const Case cases[] = {
      {"/nonexistent/m.json", nullptr,
       "/nonexistent/m.json: cannot open the machine fixture: No such file or directory"},
      {nullptr, "/nonexistent/root", "/nonexistent/root: TOV_LIVE_ROOT is not a folder"},
      {nullptr, kSmallMachine.c_str(), kSmallMachine + ": TOV_LIVE_ROOT is not a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    MachineVariable var(c.machine);
    ScopedVariable root("TOV_LIVE_ROOT", c.live_root);
    std::string error;
    EXPECT_FALSE(LoadMachineFromEnvironment(&error));
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(InstallFromEnvironment(&error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(CurrentMachine(), nullptr);
  }
}

TEST(MachineSelection, InstalledMachineAnswersTheOperations) {
  // Installing lasts for the rest of the process, so it happens in a child.
  MachineVariable var(kSmallMachine.c_str());
  EXPECT_EXIT(
      {
        std::string error;
        char name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = sizeof name;
        bool ok = InstallFromEnvironment(&error) && GetComputerNameA(name, &size) &&
                  std::string(name) == "WS-0815" && !InstallFromEnvironment(&error) &&
                  error == "a machine is installed already";
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tov::machine
