// The collection run over a small machine: which stages run for which flags,
// what the sink hears, and what the report container holds afterwards.
// Linux only: the machine is a model built here.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/collection_run.h"
#include "app/globals.h"
#include "cfgmgr/cm_api.h"
#include "platform/machine/current_machine.h"
#include "report/report.h"

namespace tov::test {
namespace {

using machine::Machine;

constexpr int64_t kNow = 1714564800;  // 2024-05-01 12:00:00 UTC

// Root R with children A and B, A with child A1; one service; one event in
// each of the three logs.
void FillMachine(Machine& m) {
  m.Now(kNow);
  m.Library("CFGMGR32.DLL")
      .Exports({"CM_Get_Version", "CM_Get_Global_State", "CM_Locate_DevNodeA", "CM_Get_Parent",
                "CM_Get_Sibling", "CM_Get_Child", "CM_Get_DevNode_Registry_PropertyA",
                "CM_Get_Device_IDA", "CM_Get_DevNode_Status", "CM_Get_First_Log_Conf",
                "CM_Get_Next_Log_Conf", "CM_Free_Log_Conf_Handle", "CM_Get_Log_Conf_Priority",
                "CM_Get_Next_Res_Des", "CM_Free_Res_Des_Handle", "CM_Get_Res_Des_Data_Size",
                "CM_Get_Res_Des_Data", "CM_Get_Class_Registry_PropertyA", "CM_Get_Class_NameA"});
  m.Library("SETUPAPI.DLL");
  m.Library("NEWDEV.DLL");
  machine::DeviceNode& root = m.Devices().Root("R");
  root.Child("A").Child("A1");
  root.Child("B");
  m.AddService("disk").KernelDriver().ImagePath("system32\\DRIVERS\\disk.sys");
  for (const char* log : {"System", "Norvan", "Security"}) m.AddEvent(log, 7036).At(kNow - 60);
}

struct Call {
  int stage;        // -1 for a progress call
  int code;
  std::string item;  // the device's instance ID, or the count
  bool operator==(const Call& o) const {
    return stage == o.stage && code == o.code && item == o.item;
  }
};

std::ostream& operator<<(std::ostream& out, const Call& c) {
  return c.stage >= 0 ? out << "stage " << c.stage : out << "progress " << c.code << " " << c.item;
}

class RecordingSink : public IProgressSink {
 public:
  explicit RecordingSink(int stop_at_device = 0) : stop_at_device_(stop_at_device) {}
  BOOL OnStage(int nStage) override {
    calls.push_back({nStage, 0, ""});
    return TRUE;
  }
  BOOL OnProgress(int nCode, ULONG_PTR value) override {
    std::string item = nCode == PROGRESS_RANGE
                           ? std::to_string(value)
                           : reinterpret_cast<const CCmDevice*>(value)->m_strDeviceId;
    calls.push_back({-1, nCode, item});
    if (nCode != PROGRESS_RANGE) ++devices_;
    return stop_at_device_ == 0 || devices_ < stop_at_device_;
  }
  std::vector<Call> calls;

 private:
  int stop_at_device_;
  int devices_ = 0;
};

Call Stage(int s) { return {s, 0, ""}; }
Call Progress(int code, const char* item) { return {-1, code, item}; }

const std::vector<Call> kEnumeration = {Progress(0, "4"), Progress(1, "R"), Progress(1, "A"),
                                        Progress(1, "A1"), Progress(1, "B")};
const std::vector<Call> kDetails = {Progress(0, "4"), Progress(2, "R"), Progress(2, "A"),
                                    Progress(2, "A1"), Progress(2, "B")};

std::vector<Call> Join(std::initializer_list<std::vector<Call>> parts) {
  std::vector<Call> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A machine installed with the binding and the report container made, as
// start-up leaves them for the run; all gone again at the end.
class RunWorld {
 public:
  RunWorld() : use_(machine_) {
    g_pCmApi = new CCmApi();
    g_pReport = new CReport();
  }
  ~RunWorld() {
    delete g_pReport;
    g_pReport = nullptr;
    delete g_pCmApi;
    g_pCmApi = nullptr;
  }

 private:
  struct FilledMachine : Machine {
    FilledMachine() { FillMachine(*this); }
  } machine_;
  machine::ScopedMachine use_;
};

TEST(CollectionRun, FlagsChooseTheStages) {
  const struct {
    DWORD flags;
    std::vector<Call> calls;
    // What the container holds afterwards: tree, services, and the three logs.
    bool tree, services, system, norvan, security;
  } cases[] = {
      {0x00, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(2), Stage(3), Stage(4), Stage(5)}, kDetails}),
       true, true, true, true, true},
      {0x08, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(2), Stage(5)}, kDetails}),
       true, true, true, false, false},
      {0x48, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(2), Stage(5)}, kDetails}),
       true, true, true, false, false},
      {0x40, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(2), Stage(3), Stage(5)}, kDetails}),
       true, true, true, true, false},
      {0x10, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(2), Stage(3), Stage(4)}}),
       true, true, true, true, true},
      {0x04, Join({{Stage(0)}, kEnumeration, {Stage(1), Stage(3), Stage(4), Stage(5)}, kDetails}),
       true, true, false, true, true},
      {0x02, Join({{Stage(0)}, kEnumeration, {Stage(2), Stage(3), Stage(4), Stage(5)}, kDetails}),
       true, false, true, true, true},
      // Without stage 0 no callback is installed: stage 5 runs over an empty tree.
      {0x01, {Stage(1), Stage(2), Stage(3), Stage(4), Stage(5)}, false, true, true, true, true},
      {0x1F, {}, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    RunWorld world;
    RecordingSink sink;
    EXPECT_EQ(RunCollection(c.flags, &sink), 1u) << c.flags;
    EXPECT_EQ(sink.calls, c.calls) << "flags " << c.flags;
    EXPECT_EQ(g_pReport->m_devTree.m_pRoot != nullptr, c.tree) << c.flags;
    EXPECT_EQ(g_pReport->m_services.m_nCount == 1, c.services) << c.flags;
    EXPECT_EQ(g_pReport->m_logSystem.m_nCount == 1, c.system) << c.flags;
    EXPECT_EQ(g_pReport->m_logNorvan.m_nCount == 1, c.norvan) << c.flags;
    EXPECT_EQ(g_pReport->m_logSecurity.m_nCount == 1, c.security) << c.flags;
  }
}

TEST(CollectionRun, WithoutASinkEveryStageRunsSilently) {
  RunWorld world;
  EXPECT_EQ(RunCollection(0, nullptr), 1u);
  EXPECT_NE(g_pReport->m_devTree.m_pRoot, nullptr);
  EXPECT_EQ(g_pReport->m_devTree.m_pfnProgress.load(), nullptr);
  EXPECT_EQ(g_pReport->m_services.m_nCount, 1u);
  EXPECT_EQ(g_pReport->m_logSecurity.m_nCount, 1u);
}

TEST(CollectionRun, AStoppedPassEndsOnlyThatPass) {
  RunWorld world;
  // The sink says stop at the second device and every time after.
  RecordingSink sink(/*stop_at_device=*/2);
  EXPECT_EQ(RunCollection(0, &sink), 1u);
  std::vector<Call> expected = {Stage(0), Progress(0, "4"), Progress(1, "R"), Progress(1, "A"),
                                Stage(1), Stage(2), Stage(3), Stage(4), Stage(5)};
  ASSERT_GE(sink.calls.size(), expected.size());
  EXPECT_EQ(std::vector<Call>(sink.calls.begin(), sink.calls.begin() + expected.size()), expected);
  // The detail pass stops at its first device.
  std::vector<Call> rest(sink.calls.begin() + expected.size(), sink.calls.end());
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[1], Progress(2, "R"));
  EXPECT_EQ(g_pReport->m_logSecurity.m_nCount, 1u);
}

TEST(ForwardProgress, PassesCodeAndValueAndTheAnswer) {
  RecordingSink yes, no(/*stop_at_device=*/1);
  CCmDevice device;
  device.m_strDeviceId = "X";
  EXPECT_TRUE(ForwardProgress(PROGRESS_RANGE, 12, static_cast<IProgressSink*>(&yes)));
  EXPECT_FALSE(ForwardProgress(PROGRESS_DEVICE, reinterpret_cast<ULONG_PTR>(&device),
                               static_cast<IProgressSink*>(&no)));
  EXPECT_EQ(yes.calls, (std::vector<Call>{Progress(0, "12")}));
  EXPECT_EQ(no.calls, (std::vector<Call>{Progress(1, "X")}));
}

}  // namespace
}  // namespace tov::test
