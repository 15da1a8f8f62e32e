// Skip pressed at random moments of the detail pass, with everything real:
// the progress window's modal loop on this thread, the collection run on the
// worker thread it starts, and a third thread that clicks Skip the way a key
// press does, as a message the window's thread handles. Repeated many times
// so that ThreadSanitizer (preset linux-tsan) sees the interleavings.
// Linux only: the machine is a model built here.
#include <atomic>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/framework/win_app.h"
#include "app/globals.h"
#include "app/progress_dlg.h"
#include "app/run_settings.h"
#include "cfgmgr/cm_api.h"
#include "devtree/cm_dev_tree.h"
#include "platform/machine/current_machine.h"
#include "platform/terminal/program_start.h"
#include "report/report.h"
#include "resources/resource.h"
#include "tests/app/progress_window.h"

namespace tov::test {
namespace {

constexpr int kDevices = 64;  // the root and its children
constexpr char kDetailStage[] = "Collecting detailed Device Manager information...";

// The device-configuration libraries and a root with kDevices - 1 children
// "Device 1" and on, each with a service image, so the detail step reads the
// registry for every device.
void FillMachine(machine::Machine& m) {
  terminal::AddProgramFile(m);
  m.Library("CFGMGR32.DLL")
      .Exports({"CM_Get_Version", "CM_Locate_DevNodeA", "CM_Get_Parent", "CM_Get_Sibling",
                "CM_Get_Child", "CM_Get_DevNode_Registry_PropertyA", "CM_Get_Device_IDA",
                "CM_Get_DevNode_Status"});
  m.Library("SETUPAPI.DLL");
  m.Library("NEWDEV.DLL");
  machine::DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
  for (int i = 1; i < kDevices; ++i) {
    std::string n = std::to_string(i);
    root.Child("ROOT\\DEV" + n + "\\0000")
        .Prop(CM_DRP_DEVICEDESC, "Device " + n)
        .Prop(CM_DRP_SERVICE, "svc" + n);
    m.Registry()
        .Key("SYSTEM\\CurrentControlSet\\Services\\svc" + n)
        .ExpandSz("ImagePath", "system32\\DRIVERS\\d" + n + ".sys");
  }
}

// The pre-order position of the device the item line names: "Root" is 0,
// "Device i" is i; -1 for any other text.
int ShownDevice(const std::string& item) {
  if (item == "Root") return 0;
  if (item.rfind("Device ", 0) == 0) return std::stoi(item.substr(7));
  return -1;
}

// Waits for the detail pass to show device `nTarget` or a later one, then
// clicks Skip. Gives up when the window has gone first (the pass ran to its
// end), or never came before the round was over. Returns the device shown
// when it clicked (-1: none yet), or nothing when it did not click.
std::optional<int> ClickSkipAt(int nTarget, const std::atomic<bool>& bRoundOver) {
  HWND hDlg = nullptr;
  while (hDlg == nullptr) {
    if (bRoundOver) return std::nullopt;
    hDlg = FindWindowA("#32770", "tov");
    std::this_thread::yield();
  }
  HWND hSkip = GetDlgItem(hDlg, IDC_SKIP);
  // Stage 5 sets its line, clears the item line and then enables Skip. Both
  // are waited for: the button of a window whose WM_INITDIALOG has not run
  // yet is enabled too, and an item line read in stage 0 could be clicked
  // on only when stage 5 has begun, if this thread is held up in between.
  while (IsWindow(hDlg) && !(ControlText(hDlg, IDC_STAGE_TEXT) == kDetailStage &&
                             IsWindowEnabled(hSkip))) {
    std::this_thread::yield();
  }
  while (IsWindow(hDlg)) {
    int nShown = ShownDevice(ControlText(hDlg, IDC_ITEM_TEXT));
    if (nShown >= nTarget) {
      SendMessageA(hSkip, BM_CLICK, 0, 0);
      return nShown;
    }
    std::this_thread::yield();
  }
  return std::nullopt;
}

TEST(SkipRace, SkipAtRandomMomentsOfTheDetailPass) {
  constexpr int kRounds = 250;
  struct FilledMachine : machine::Machine {
    FilledMachine() { FillMachine(*this); }
  } m;
  machine::ScopedMachine use(m);
  std::mt19937 random(20261211);
  int nStoppedEarly = 0;

  for (int round = 0; round < kRounds; ++round) {
    g_pCmApi = new CCmApi();
    g_pReport = new CReport();
    // Only the two device stages run.
    g_dwOptions = SKIP_SERVICES | SKIP_EVLOG_SYSTEM | SKIP_EVLOG_SECURITY;
    // From the item line being empty (-1 waits for nothing) to past the last device.
    const int nTarget = static_cast<int>(random() % (kDevices + 2)) - 1;
    std::optional<int> nClickedAt;
    INT_PTR nResult;
    {
      std::atomic<bool> bRoundOver{false};
      std::thread presser([&] { nClickedAt = ClickSkipAt(nTarget, bRoundOver); });
      CWinApp app;
      CProgressDlg dlg(nullptr);
      app.m_pMainWnd = &dlg;
      nResult = dlg.DoModal();
      app.m_pMainWnd = nullptr;
      bRoundOver = true;
      presser.join();
    }

    // The window ends only on the worker's IDOK, after the whole run.
    EXPECT_EQ(nResult, IDOK) << "round " << round;
    CCmDevTree& tree = g_pReport->m_devTree;
    EXPECT_TRUE(tree.IsDetailPassDone()) << "round " << round;
    // The devices that got their details are the first ones in pre-order:
    // the pass stops before its next device and never resumes.
    std::vector<const CCmDevice*> devices;
    for (const CCmDevice* p = tree.m_pRoot; p != nullptr; p = CCmDevTree::NextDevice(p, tree.m_pRoot)) {
      devices.push_back(p);
    }
    ASSERT_EQ(devices.size(), static_cast<size_t>(kDevices)) << "Skip never reaches stage 0";
    size_t nDetailed = 0;
    while (nDetailed < devices.size() && devices[nDetailed]->m_lDetailsCollected) ++nDetailed;
    for (size_t i = nDetailed; i < devices.size(); ++i) {
      EXPECT_FALSE(devices[i]->m_lDetailsCollected) << "round " << round << " device " << i;
      EXPECT_EQ(devices[i]->m_strDriverFiles, "") << "round " << round << " device " << i;
    }
    for (size_t i = 1; i < nDetailed; ++i) {
      EXPECT_EQ(devices[i]->m_strDriverFiles,
                "C:\\WINDOWS\\system32\\DRIVERS\\d" + std::to_string(i) + ".sys")
          << "round " << round;
    }
    if (!nClickedAt) {
      EXPECT_EQ(nDetailed, devices.size()) << "round " << round << ": not skipped";
    } else {
      // The devices before the one shown at the click had answered go on;
      // the one shown may have polled the event after the click.
      EXPECT_GE(static_cast<int>(nDetailed), *nClickedAt) << "round " << round;
      if (nDetailed < devices.size()) ++nStoppedEarly;
    }

    delete g_pReport;
    g_pReport = nullptr;
    delete g_pCmApi;
    g_pCmApi = nullptr;
    if (HasFailure()) break;
  }
  g_dwOptions = 0;
  EXPECT_EQ(m.OpenHandles(machine::kThreadHandle), 0);
  std::printf("Skip stopped the detail pass early in %d of %d rounds\n", nStoppedEarly, kRounds);
}

}  // namespace
}  // namespace tov::test
