// Injected faults: which plans are understood, which calls fail, and that a
// failing call answers as the operation does when it fails on the platform.
#include <gtest/gtest.h>

#include <string>

#include "platform/machine/current_machine.h"
#include "platform/posix/src/fault_injection.h"
#include "win32_api.h"

namespace tov::posix {
namespace {

// Installs a plan for one test and leaves none behind.
class ScopedFault {
 public:
  explicit ScopedFault(const FaultPlan& plan) { InstallFaultPlan(plan); }
  ~ScopedFault() { ClearFaultPlan(); }
};

TEST(FaultPlanText, IsReadOrRefused) {
  struct Case {
    const char* text;
    bool ok;
    const char* operation;
    long long nth;
    bool onward;
  };
  const Case cases[] = {
      {"RegQueryValueExA:17", true, "RegQueryValueExA", 17, false},
      {"RegQueryValueExA:17+", true, "RegQueryValueExA", 17, true},
      {"IStream::Write:2", true, "IStream::Write", 2, false},
      {"alloc:123", true, "alloc", 123, false},
      {"count", true, "count", 0, false},
      {"alloc:5+", false, "", 0, false},
      {"RegOpenKeyExA:0", false, "", 0, false},
      {"RegOpenKeyExA:-1", false, "", 0, false},
      {"RegOpenKeyExA:x", false, "", 0, false},
      {"RegOpenKeyExA:", false, "", 0, false},
      {"RegOpenKeyExA", false, "", 0, false},
      {":3", false, "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FaultPlan plan;
    std::string error;
    ASSERT_EQ(ParseFaultPlan(c.text, &plan, &error), c.ok) << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(plan.operation, c.operation);
    EXPECT_EQ(plan.nth, c.nth);
    EXPECT_EQ(plan.onward, c.onward);
  }
}

TEST(FaultFiring, AtTheNthCallOnlyOrFromItOn) {
  struct Case {
    bool onward;
    const char* fails;  // per call, '1' for a failing one
  };
  const Case cases[] = {{false, "00100"}, {true, "00111"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.onward);
    ScopedFault fault({"SetEvent", 3, c.onward});
    std::string seen;
    for (int i = 0; i < 5; ++i) {
      seen += FaultFires("SetEvent") ? '1' : '0';
      EXPECT_FALSE(FaultFires("ResetEvent")) << "another operation never fails";
    }
    EXPECT_EQ(seen, c.fails);
    EXPECT_EQ(FaultsFired(), c.onward ? 3 : 1);
  }
}

TEST(FaultFiring, OperationsThatCannotFailNeverDo) {
  for (const char* operation : {"GetACP", "GetSystemInfo", "GetVersion"}) {
    ScopedFault fault({operation, 1, true});
    EXPECT_FALSE(FaultFires(operation)) << operation;
    EXPECT_EQ(FaultsFired(), 0);
  }
}

TEST(FaultFiring, AllocationFailsOnceAtTheNth) {
  ScopedFault fault({"alloc", 2, false});
  EXPECT_FALSE(AllocationFaultFires());
  EXPECT_TRUE(AllocationFaultFires());
  EXPECT_FALSE(AllocationFaultFires());
  EXPECT_FALSE(FaultFires("alloc")) << "allocations are not an operation";
}

// A failing call looks like the operation's own failure: its result, and the
// error it reports, with nothing of the machine behind it touched.
TEST(FaultFiring, FailingCallsAnswerAsTheirOperation) {
  machine::Machine m;
  m.Registry().Key("K").Sz("V", "text");
  machine::ScopedMachine use(m);
  {
    ScopedFault fault({"RegOpenKeyExA", 1, false});
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    ScopedFault fault({"RegQueryValueExA", 1, true});
    char buffer[16] = {};
    DWORD cb = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &cb),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(buffer[0], '\0');
    ClearFaultPlan();
    RegCloseKey(key);
  }
  {
    ScopedFault fault({"CreateEventA", 1, false});
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  }
  {
    ScopedFault fault({"CM_Get_DevNode_Status", 1, false});
    ULONG status = 7, problem = 7;
    EXPECT_EQ(CM_Get_DevNode_Status(&status, &problem, 1, 0), static_cast<CONFIGRET>(CR_FAILURE));
    EXPECT_EQ(status, 7u);
    EXPECT_EQ(problem, 7u);
  }
  {
    ScopedFault fault({"InitializeCriticalSectionAndSpinCount", 1, false});
    CRITICAL_SECTION cs;
    EXPECT_FALSE(InitializeCriticalSectionAndSpinCount(&cs, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  }
  {
    ScopedFault fault({"StgCreateStorageEx", 1, false});
    IStorage* storage = nullptr;
    EXPECT_EQ(StgCreateStorageEx(u"tov-fault-test.dat", STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                 STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                 reinterpret_cast<void**>(&storage)),
              STG_E_ACCESSDENIED);
    EXPECT_EQ(storage, nullptr);
  }
}

}  // namespace
}  // namespace tov::posix
