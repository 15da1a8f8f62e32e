// The run-time binding: libraries loaded once and released, entry points
// bound on first use and cached, and the defined results of a missing
// library or entry point.
#include "cfgmgr/cm_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/cfgmgr/device_machine.h"

namespace tov::test {
namespace {

using machine::Machine;
using machine::ScopedMachine;

constexpr ULONG kUntouched = 0xA5A5A5A5;

struct ResultCase {
  const char* name;
  std::function<DWORD_PTR(CCmApi&)> call;
  DWORD_PTR missing;
};

// Every binding operation that returns a result, with its missing result.
std::vector<ResultCase> ResultOperations() {
  static GUID guid{};
  static ULONG ul;
  static char buffer[260];
  return {
      {"CM_Get_Version", [](CCmApi& a) { return a.CM_Get_Version(); }, 0},
      {"CM_Get_Parent", [](CCmApi& a) { DEVINST d = 0; return a.CM_Get_Parent(&d, 1, 0); }, 0x34},
      {"CM_Get_Sibling", [](CCmApi& a) { DEVINST d = 0; return a.CM_Get_Sibling(&d, 1, 0); }, 0x34},
      {"CM_Get_Child", [](CCmApi& a) { DEVINST d = 0; return a.CM_Get_Child(&d, 1, 0); }, 0x34},
      {"CM_Get_DevNode_Registry_PropertyA",
       [](CCmApi& a) { ULONG t = 0, l = 260; return a.CM_Get_DevNode_Registry_PropertyA(1, 1, &t, buffer, &l, 0); },
       0x34},
      {"CM_Get_Device_IDA", [](CCmApi& a) { return a.CM_Get_Device_IDA(1, buffer, 200, 0); }, 0x34},
      {"CM_Get_DevNode_Status", [](CCmApi& a) { ULONG p = 0; return a.CM_Get_DevNode_Status(&ul, &p, 1, 0); },
       0x34},
      {"CM_Free_Res_Des_Handle", [](CCmApi& a) { return a.CM_Free_Res_Des_Handle(0x1000); }, 0x34},
      {"CM_Get_Res_Des_Data", [](CCmApi& a) { return a.CM_Get_Res_Des_Data(0x1000, buffer, 4, 0); }, 0x34},
      {"CM_Get_Class_Registry_PropertyA",
       [](CCmApi& a) { ULONG t = 0, l = 4; return a.CM_Get_Class_Registry_PropertyA(&guid, 28, &t, &ul, &l, 0, nullptr); },
       0x34},
      {"CM_Get_Class_NameA", [](CCmApi& a) { ULONG l = 260; return a.CM_Get_Class_NameA(&guid, buffer, &l, 0); },
       0x34},
      {"SetupDiCreateDeviceInfoList",
       [](CCmApi& a) { return reinterpret_cast<DWORD_PTR>(a.SetupDiCreateDeviceInfoList(nullptr, nullptr)); },
       reinterpret_cast<DWORD_PTR>(INVALID_HANDLE_VALUE)},
      {"SetupDiOpenDeviceInfoA", [](CCmApi& a) { return a.SetupDiOpenDeviceInfoA(nullptr, "X", nullptr, 0, nullptr); }, 0},
      {"SetupDiSetDeviceInstallParamsA", [](CCmApi& a) { return a.SetupDiSetDeviceInstallParamsA(nullptr, nullptr, nullptr); }, 0},
      {"SetupDiBuildDriverInfoList", [](CCmApi& a) { return a.SetupDiBuildDriverInfoList(nullptr, nullptr, 1); }, 0},
      {"SetupDiSetSelectedDriverA", [](CCmApi& a) { return a.SetupDiSetSelectedDriverA(nullptr, nullptr, nullptr); }, 0},
      {"SetupOpenFileQueue", [](CCmApi& a) { return reinterpret_cast<DWORD_PTR>(a.SetupOpenFileQueue()); }, 0},
      {"SetupDiCallClassInstaller", [](CCmApi& a) { return a.SetupDiCallClassInstaller(0x15, nullptr, nullptr); }, 0},
      {"SetupScanFileQueueA",
       [](CCmApi& a) { return a.SetupScanFileQueueA(nullptr, 4, nullptr, nullptr, nullptr, nullptr); }, 0},
  };
}

struct OutValueCase {
  const char* name;
  std::function<void(CCmApi&, ULONG_PTR*)> call;  // writes only through its out-value
};

// The operations that return nothing: without their entry point they leave
// the caller's out-value alone.
std::vector<OutValueCase> OutValueOperations() {
  return {
      {"CM_Get_Global_State", [](CCmApi& a, ULONG_PTR* out) {
         ULONG v = kUntouched; a.CM_Get_Global_State(&v, 0); *out = v; }},
      {"CM_Locate_DevNodeA", [](CCmApi& a, ULONG_PTR* out) {
         DEVINST v = kUntouched; a.CM_Locate_DevNodeA(&v, nullptr, 0); *out = v; }},
      {"CM_Get_First_Log_Conf", [](CCmApi& a, ULONG_PTR* out) {
         LOG_CONF v = kUntouched; a.CM_Get_First_Log_Conf(&v, 1, ALLOC_LOG_CONF); *out = v; }},
      {"CM_Get_Next_Log_Conf", [](CCmApi& a, ULONG_PTR* out) {
         LOG_CONF v = kUntouched; a.CM_Get_Next_Log_Conf(&v, 0x1000, 0); *out = v; }},
      {"CM_Get_Log_Conf_Priority", [](CCmApi& a, ULONG_PTR* out) {
         PRIORITY v = kUntouched; a.CM_Get_Log_Conf_Priority(0x1000, &v, 0); *out = v; }},
      {"CM_Get_Next_Res_Des", [](CCmApi& a, ULONG_PTR* out) {
         RES_DES v = kUntouched; RESOURCEID t = 0; a.CM_Get_Next_Res_Des(&v, 0x1000, ResType_All, &t, 0); *out = v; }},
      {"CM_Get_Res_Des_Data_Size", [](CCmApi& a, ULONG_PTR* out) {
         ULONG v = kUntouched; a.CM_Get_Res_Des_Data_Size(&v, 0x1000, 0); *out = v; }},
  };
}

TEST(CCmApiBinding, LoadsTheThreeLibrariesOnceAndReleasesThem) {
  Machine m;
  AddDeviceLibraries(m);
  ScopedMachine use(m);
  {
    CCmApi api;
    EXPECT_NE(api.m_hCfgMgr32, nullptr);
    EXPECT_NE(api.m_hSetupApi, nullptr);
    EXPECT_NE(api.m_hNewDev, nullptr);
    EXPECT_EQ(m.Calls("LoadLibraryA"), 3);
    EXPECT_EQ(m.OpenHandles(), 3);
    EXPECT_EQ(m.Calls("GetProcAddress"), 0);  // nothing is bound before it is used
  }
  EXPECT_EQ(m.Calls("FreeLibrary"), 3);
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(CCmApiBinding, WithoutCfgMgr32EveryOperationGivesItsMissingResult) {
  Machine m;
  m.Library("SETUPAPI.DLL");
  m.Devices().Root("HTREE\\ROOT\\0");
  ScopedMachine use(m);
  CCmApi api;
  EXPECT_EQ(api.m_hCfgMgr32, nullptr);
  for (const ResultCase& c : ResultOperations()) {
    if (std::string(c.name).rfind("CM_", 0) != 0) continue;
    EXPECT_EQ(c.call(api), c.missing) << c.name;
  }
  for (const OutValueCase& c : OutValueOperations()) {
    ULONG_PTR out = 0;
    c.call(api, &out);
    EXPECT_EQ(out, kUntouched) << c.name;
  }
  CmCursor cursor;
  EXPECT_EQ(api.FirstDevNode(cursor), 0u);
  EXPECT_EQ(api.NextDevNode(1, 1, TRUE), 0u);
  EXPECT_EQ(m.Calls("GetProcAddress"), 0);  // no lookup in a library that did not load
}

TEST(CCmApiBinding, WithoutSetupApiEveryOperationGivesItsMissingResult) {
  Machine m;
  m.Library("CFGMGR32.DLL");
  ScopedMachine use(m);
  CCmApi api;
  EXPECT_EQ(api.m_hSetupApi, nullptr);
  for (const ResultCase& c : ResultOperations()) {
    if (std::string(c.name).rfind("Setup", 0) != 0) continue;
    EXPECT_EQ(c.call(api), c.missing) << c.name;
  }
  api.SetupCloseFileQueue(reinterpret_cast<HSPFILEQ>(0x1000));  // no call, nothing to check but no crash
  api.SetupDiDestroyDeviceInfoList(reinterpret_cast<HDEVINFO>(0x1000));
  EXPECT_EQ(m.Calls("SetupCloseFileQueue") + m.Calls("SetupDiDestroyDeviceInfoList"), 0);
}

TEST(CCmApiBinding, AMissingEntryPointGivesItsMissingResultAndIsLookedUpAgain) {
  for (const ResultCase& c : ResultOperations()) {
    Machine m;
    AddDeviceLibraries(m, {c.name});
    ScopedMachine use(m);
    CCmApi api;
    EXPECT_EQ(c.call(api), c.missing) << c.name;
    EXPECT_EQ(c.call(api), c.missing) << c.name;
    EXPECT_EQ(m.Calls("GetProcAddress"), 2) << c.name;
    EXPECT_EQ(m.Calls(c.name), 0) << c.name;
  }
  for (const OutValueCase& c : OutValueOperations()) {
    Machine m;
    AddDeviceLibraries(m, {c.name});
    ScopedMachine use(m);
    CCmApi api;
    ULONG_PTR out = 0;
    c.call(api, &out);
    EXPECT_EQ(out, kUntouched) << c.name;
    EXPECT_EQ(m.Calls(c.name), 0) << c.name;
  }
}

TEST(CCmApiBinding, BindsOnTheFirstCallAndUsesTheCachedPointerAfterwards) {
  Machine m;
  AddDeviceLibraries(m);
  m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\LEGACY_BEEP\\0000");
  m.Devices().Version(0x0400);
  ScopedMachine use(m);
  CCmApi api;
  EXPECT_EQ(api.CM_Get_Version(), 0x0400);
  EXPECT_EQ(m.Calls("GetProcAddress"), 1);
  EXPECT_EQ(api.CM_Get_Version(), 0x0400);
  EXPECT_EQ(m.Calls("GetProcAddress"), 1);
  EXPECT_EQ(m.Calls("CM_Get_Version"), 2);

  DEVINST child = 0;
  EXPECT_EQ(api.CM_Get_Child(&child, 1, 0), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(api.CM_Get_Child(&child, child, 0), static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE));
  EXPECT_EQ(m.Calls("GetProcAddress"), 2);
}

TEST(CCmApiBinding, CallsFromSeveralThreadsAreServedOneAtATime) {
  AdapterMachine am;
  CCmApi api;
  const DEVINST adapter = am.adapter.Handle();
  std::vector<std::thread> threads;
  std::vector<int> good(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        PathBuffer text;
        std::string id;
        if (api.GetDevNodeString(adapter, CM_DRP_MFG, text) && std::string(text) == "Intel" &&
            api.GetDeviceId(adapter, id) && id == kAdapterId) {
          ++good[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(good, std::vector<int>(4, 200));
  EXPECT_EQ(am.m.Calls("GetProcAddress"), 2);  // each entry point bound once
}

// A fresh binding each round, and threads released together on their first
// calls, so the lookups of the entry points race: each is still looked up
// once, and every call answers as if it had been alone. Repeated for
// ThreadSanitizer.
TEST(CCmApiBinding, FirstCallsFromSeveralThreadsBindEachEntryPointOnce) {
  constexpr int kRounds = 100;
  constexpr int kThreads = 4;
  AdapterMachine am;
  const DEVINST root = am.root.Handle();
  const DEVINST adapter = am.adapter.Handle();
  for (int round = 0; round < kRounds; ++round) {
    int nLookupsBefore = am.m.Calls("GetProcAddress");
    CCmApi api;
    std::atomic<int> nReady{0};
    std::vector<int> good(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ++nReady;
        while (nReady < kThreads) std::this_thread::yield();
        // Each thread starts with another entry point.
        for (int i = 0; i < 3; ++i) {
          switch ((t + i) % 3) {
            case 0: {
              DEVINST child = 0;
              if (api.CM_Get_Child(&child, root, 0) == CR_SUCCESS && child == adapter) ++good[t];
              break;
            }
            case 1: {
              std::string id;
              if (api.GetDeviceId(adapter, id) && id == kAdapterId) ++good[t];
              break;
            }
            default: {
              PathBuffer text;
              if (api.GetDevNodeString(adapter, CM_DRP_MFG, text) && std::string(text) == "Intel") {
                ++good[t];
              }
            }
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(good, std::vector<int>(kThreads, 3)) << "round " << round;
    EXPECT_EQ(am.m.Calls("GetProcAddress") - nLookupsBefore, 3) << "round " << round;
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace tov::test
