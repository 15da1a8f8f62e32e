// Choosing the machine from TOV_MACHINE: a fixture or a clear refusal, never
// an empty machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine_selection.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

const std::string kSmallMachine = std::string(TOV_FIXTURES_DIR) + "/small_machine.json";

// Sets TOV_MACHINE (or removes it for null) for one test.
class MachineVariable {
 public:
  explicit MachineVariable(const char* value) {
    if (const char* old = std::getenv("TOV_MACHINE")) saved_ = old;
    if (value != nullptr) {
      setenv("TOV_MACHINE", value, 1);
    } else {
      unsetenv("TOV_MACHINE");
    }
  }
  ~MachineVariable() {
    if (saved_.empty()) {
      unsetenv("TOV_MACHINE");
    } else {
      setenv("TOV_MACHINE", saved_.c_str(), 1);
    }
  }

 private:
  std::string saved_;
};

TEST(MachineSelection, FixtureNamedByTheVariable) {
  MachineVariable var(kSmallMachine.c_str());
  std::string error;
  std::unique_ptr<Machine> m = LoadMachineFromEnvironment(&error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->ComputerName(), "WS-0815");
}

TEST(MachineSelection, NoMachineWithoutAUsableFixture) {
  struct Case {
    const char* value;
    std::string error;
  };
  const Case cases[] = {
      {nullptr,
       "TOV_MACHINE is not set: name the JSON fixture of the machine to report on (see "
       "docs/machine-fixture.md)"},
      {"",
       "TOV_MACHINE is not set: name the JSON fixture of the machine to report on (see "
       "docs/machine-fixture.md)"},
      {"/nonexistent/m.json",
       "/nonexistent/m.json: cannot open the machine fixture: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    MachineVariable var(c.value);
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
