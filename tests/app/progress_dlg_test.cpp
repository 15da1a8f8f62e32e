// The progress window as the collection drives it from its worker thread:
// stage and item lines, the bar, Skip, the window menu, and the end of the
// run. The same tests run on the terminal surface and on Windows (Wine).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devtree/cm_dev_tree.h"
#include "devtree/cm_device.h"
#include "resources/resource.h"
#include "tests/app/program_platform.h"
#include "tests/app/progress_window.h"

namespace tov::test {
namespace {

class ProgressWindow : public ::testing::Test {
 protected:
  ProgramPlatform platform_;
};

struct StageView {
  std::string stage;
  std::string item;
  bool skip;
};

TEST_F(ProgressWindow, EachStageShowsItsLineAndEnablesSkipOnlyInTheDetailPass) {
  std::vector<StageView> seen;
  INT_PTR result = RunProgressWindow([&](CProgressDlg& dlg) {
    for (int stage : {0, 1, 2, 3, 4, 5, 6, -1}) {
      SetDlgItemTextA(dlg.m_hWnd, IDC_ITEM_TEXT, "left over");
      EXPECT_TRUE(dlg.OnStage(stage));
      seen.push_back({ControlText(dlg.m_hWnd, IDC_STAGE_TEXT), ControlText(dlg.m_hWnd, IDC_ITEM_TEXT),
                      ControlEnabled(dlg.m_hWnd, IDC_SKIP)});
    }
  });
  EXPECT_EQ(result, IDOK);
  const StageView expected[] = {
      {"Collecting Device Manager information...", "", false},
      {"Collecting Services information...", "", false},
      {"Collecting events from System Events Log...", "", false},
      {"Collecting events from Norvan Events Log...", "", false},
      {"Collecting events from Security Events Log...", "", false},
      {"Collecting detailed Device Manager information...", "", true},
      // Stages outside 0 to 5 keep the stage line and disable Skip.
      {"Collecting detailed Device Manager information...", "", false},
      {"Collecting detailed Device Manager information...", "", false},
  };
  ASSERT_EQ(seen.size(), std::size(expected));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].stage, expected[i].stage) << i;
    EXPECT_EQ(seen[i].item, expected[i].item) << i;
    EXPECT_EQ(seen[i].skip, expected[i].skip) << i;
  }
}

TEST_F(ProgressWindow, DevicePassesMoveTheBarAndNameTheDevice) {
  CCmDevice root;
  CCmDevice disk;
  disk.m_dnParent = 1;
  disk.m_strDeviceDesc = "Disk drive";
  disk.m_strFriendlyName = "WDC WD10EZEX";
  struct Step {
    int position;
    int high;
    std::string item;
  };
  std::vector<Step> seen;
  RunProgressWindow([&](CProgressDlg& dlg) {
    auto step = [&](int code, ULONG_PTR value) {
      EXPECT_TRUE(dlg.OnProgress(code, value));
      seen.push_back({BarPosition(dlg.m_hWnd), BarHigh(dlg.m_hWnd), ControlText(dlg.m_hWnd, IDC_ITEM_TEXT)});
    };
    step(PROGRESS_RANGE, 300);
    step(PROGRESS_DEVICE, reinterpret_cast<ULONG_PTR>(&root));
    step(PROGRESS_DEVICE, reinterpret_cast<ULONG_PTR>(&disk));
    step(7, 0);  // an unknown code changes nothing
    // The detail pass sets the range again; its count keeps only 16 bits.
    step(PROGRESS_RANGE, 70000);
    step(PROGRESS_DEVICE_DETAIL, reinterpret_cast<ULONG_PTR>(&disk));
  });
  const int expected[][2] = {{0, 300}, {1, 300}, {2, 300}, {2, 300}, {0, 70000 & 0xFFFF}, {1, 4464}};
  const char* items[] = {"", "Root", "Disk drive", "Disk drive", "Disk drive", "Disk drive"};
  ASSERT_EQ(seen.size(), std::size(expected));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].position, expected[i][0]) << i;
    EXPECT_EQ(seen[i].high, expected[i][1]) << i;
    EXPECT_EQ(seen[i].item, items[i]) << i;
  }
}

TEST_F(ProgressWindow, SkipStopsEveryLaterDevicePass) {
  CCmDevice device;
  device.m_dnParent = 1;
  std::vector<BOOL> answers;
  INT_PTR result = RunProgressWindow([&](CProgressDlg& dlg) {
    dlg.OnStage(STAGE_DEVMAN_DETAILS);
    answers.push_back(dlg.OnProgress(PROGRESS_DEVICE_DETAIL, reinterpret_cast<ULONG_PTR>(&device)));
    // The button's click notification, handled on the window's thread.
    SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SKIP, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg.m_hWnd, IDC_SKIP)));
    answers.push_back(dlg.OnProgress(PROGRESS_DEVICE_DETAIL, reinterpret_cast<ULONG_PTR>(&device)));
    answers.push_back(dlg.OnProgress(PROGRESS_RANGE, 5));
    dlg.OnStage(STAGE_DEVMAN);
    answers.push_back(dlg.OnProgress(PROGRESS_DEVICE, reinterpret_cast<ULONG_PTR>(&device)));
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(answers, (std::vector<BOOL>{TRUE, FALSE, FALSE, FALSE}));
}

TEST_F(ProgressWindow, EscapeAndCloseLeaveTheWindowOpen) {
  std::vector<bool> open;
  INT_PTR result = RunProgressWindow([&](CProgressDlg& dlg) {
    SendMessageA(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    open.push_back(IsWindow(dlg.m_hWnd) != FALSE);
    SendMessageA(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    open.push_back(IsWindow(dlg.m_hWnd) != FALSE);
    // WM_CLOSE becomes a posted IDCANCEL, handled soon after.
    SendMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0);
    Sleep(200);
    open.push_back(IsWindow(dlg.m_hWnd) != FALSE);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(open, (std::vector<bool>{true, true, true}));
}

TEST_F(ProgressWindow, WindowMenuOffersAboutAndNoClose) {
  int count = 0;
  UINT separator_state = 0, about_id = 0, close_state = 0;
  std::string about_text;
  LRESULT drag_icon = 0;
  HICON icon = nullptr;
  RunProgressWindow([&](CProgressDlg& dlg) {
    HMENU menu = GetSystemMenu(dlg.m_hWnd, FALSE);
    count = GetMenuItemCount(menu);
    separator_state = GetMenuState(menu, count - 2, MF_BYPOSITION);
    about_id = GetMenuItemID(menu, count - 1);
    char text[64] = {};
    GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    about_text = text;
    close_state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    drag_icon = SendMessageA(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0);
    icon = dlg.m_hIcon;
  });
  ASSERT_GE(count, 2);
  EXPECT_TRUE(separator_state & MF_SEPARATOR);
  EXPECT_EQ(about_id, static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_EQ(about_text, "&About tov...");
  // Close is disabled, or gone from the menu altogether.
  EXPECT_TRUE(close_state == static_cast<UINT>(-1) || (close_state & (MF_DISABLED | MF_GRAYED)))
      << close_state;
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(drag_icon, reinterpret_cast<LRESULT>(icon));
}

TEST_F(ProgressWindow, AboutBoxOpensWhileTheRunGoesOnAndHoldsTheEnd) {
  HWND about = nullptr;
  HWND about_owner = nullptr;
  std::string version;
  bool open_after_end = false;
  INT_PTR result = RunProgressWindow([&](CProgressDlg& dlg) {
    PostMessageA(dlg.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    about = WaitForDialog("About Zeltrack");
    if (about == nullptr) return;
    about_owner = GetParent(about);
    version = ControlText(about, IDC_VERSION);
    // The run ends while the About box is open: the window waits for it.
    PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
    Sleep(200);
    open_after_end = IsWindow(dlg.m_hWnd) != FALSE;
    PostMessageA(about, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_NE(about, nullptr);
  EXPECT_NE(about_owner, nullptr);
  EXPECT_TRUE(open_after_end);
  EXPECT_EQ(version,
            "tov configuration snapshot for problem reports\n1.1.01.0\n\n"
            "Copyright (C) The tov developers");
}

TEST(DeviceCaption, Table) {
  CCmDevice root, described, named, bare;
  described.m_dnParent = named.m_dnParent = bare.m_dnParent = 1;
  root.m_strDeviceDesc = "not shown for the root";
  described.m_strDeviceDesc = "PCI bus";
  described.m_strFriendlyName = "not shown";
  named.m_strFriendlyName = "USB stick";
  const struct {
    const CCmDevice* device;
    const char* caption;
  } cases[] = {{nullptr, ""}, {&root, "Root"}, {&described, "PCI bus"}, {&named, "USB stick"}, {&bare, ""}};
  for (const auto& c : cases) EXPECT_EQ(CProgressDlg::DeviceCaption(c.device), c.caption);
}

TEST(IconOrigin, CentresWithTruncatingDivision) {
  const struct {
    RECT client;
    int icon;
    LONG x, y;
  } cases[] = {
      {{0, 0, 100, 50}, 32, 34, 9},
      {{0, 0, 33, 33}, 32, 1, 1},
      {{0, 0, 31, 31}, 32, 0, 0},   // (31 - 32 + 1) / 2
      {{0, 0, 28, 20}, 32, -1, -5},  // -3 / 2 and -11 / 2 truncate toward zero
      {{10, 10, 42, 42}, 32, 0, 0},
  };
  for (const auto& c : cases) {
    POINT p = CProgressDlg::IconOrigin(c.client, c.icon, c.icon);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
  }
}

}  // namespace
}  // namespace tov::test
