// The detail pass with more than one thread at work, repeated many times so
// that ThreadSanitizer (preset linux-tsan) sees the interleavings: a second
// caller of the detail step beside the pass's own thread, and a pass on its
// thread that is ended at a random moment by every operation that must wait
// for it or stop it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "devtree/cm_dev_tree.h"
#include "devtree/device_collect.h"
#include "report/mem_file.h"
#include "tests/devtree/device_machine.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

constexpr int kDevices = 12;  // the root and its children

// A root with kDevices - 1 children, each with a service image and a driver
// package of one file, so every detail step reads the registry and scans a
// file queue.
void AddDriverTree(Machine& m) {
  DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
  for (int i = 1; i < kDevices; ++i) {
    std::string n = std::to_string(i);
    std::string driver = "{4D36E97B-E325-11CE-BFC1-08002BE10318}\\000" + n;
    std::string service = "svc" + n;
    std::string inf = "oem" + n + ".inf";
    // The installed driver is selected by description, manufacturer and provider.
    root.Child("ROOT\\DEV" + n + "\\0000")
        .Prop(CM_DRP_DEVICEDESC, "Device " + n)
        .Prop(CM_DRP_MFG, "Maker")
        .Prop(CM_DRP_DRIVER, driver)
        .Prop(CM_DRP_SERVICE, service);
    m.Registry()
        .Key("SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver)
        .Sz("InfPath", inf)
        .Sz("ProviderName", "Maker");
    m.Registry()
        .Key("SYSTEM\\CurrentControlSet\\Services\\" + service)
        .ExpandSz("ImagePath", "system32\\DRIVERS\\d" + n + ".sys");
    m.Devices()
        .AddDriver(inf)
        .Description("Device " + n)
        .Manufacturer("Maker")
        .Provider("Maker")
        .File("C:\\WINDOWS\\system32\\d" + n + ".dll");
  }
}

std::vector<CCmDevice*> PreOrder(const CCmDevTree& tree) {
  std::vector<CCmDevice*> devices;
  for (CCmDevice* p = tree.m_pRoot; p != nullptr; p = CCmDevTree::NextDevice(p, tree.m_pRoot)) {
    devices.push_back(p);
  }
  return devices;
}

class DetailPassRace : public testing::Test {
 protected:
  DetailPassRace()
      : m_use((AddDeviceLibraries(m), AddDriverTree(m), m)), m_pApi(std::make_unique<BoundApi>()) {
    // The lists a pass on one thread gives, to compare every racing round with.
    CCmDevTree tree;
    tree.Enumerate();
    tree.StartDetailPass(FALSE);
    for (CCmDevice* p : PreOrder(tree)) m_expected[p->m_strDeviceId] = p->m_strDriverFiles;
  }
  ~DetailPassRace() override {
    m_pApi.reset();
    EXPECT_EQ(m.OpenHandles(), 0);
  }

  Machine m;
  ScopedMachine m_use;
  std::unique_ptr<BoundApi> m_pApi;
  std::map<std::string, std::string> m_expected;
};

TEST_F(DetailPassRace, ReferenceListsHoldTheImageAndThePackage) {
  ASSERT_EQ(m_expected.size(), static_cast<size_t>(kDevices));
  EXPECT_EQ(m_expected["ROOT\\DEV3\\0000"],
            "C:\\WINDOWS\\system32\\DRIVERS\\d3.sys\nC:\\WINDOWS\\system32\\d3.dll");
}

// The pass on its own thread and this thread call the detail step on the
// same devices at once (this one from the last device back, so the two meet
// in the middle). Each device is detailed exactly once: one file list made
// per device, the whole list, and the busy flag left free.
TEST_F(DetailPassRace, TwoCallersDetailEachDeviceOnce) {
  constexpr int kRounds = 150;
  CCmDevTree tree;
  for (int round = 0; round < kRounds; ++round) {
    tree.Enumerate();  // collects anew: every device needs its details again
    std::vector<CCmDevice*> devices = PreOrder(tree);
    ASSERT_EQ(devices.size(), static_cast<size_t>(kDevices));
    int nListsBefore = m.Calls("SetupDiCreateDeviceInfoList");

    tree.StartDetailPass(TRUE);
    int nMine = 0;
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
      if (CollectDriverFiles(**it)) ++nMine;
    }
    tree.StopDetailThread();  // also waits for a pass that ran to its end

    // Of the detail steps that gave up after three busy tries, neither caller
    // collected; the pass's own step got the device then, so none is lost.
    EXPECT_EQ(m.Calls("SetupDiCreateDeviceInfoList") - nListsBefore, kDevices) << "round " << round;
    EXPECT_LE(nMine, kDevices);
    for (CCmDevice* p : devices) {
      EXPECT_EQ(p->m_lDetailsCollected, TRUE) << p->m_strDeviceId << " round " << round;
      EXPECT_EQ(p->m_lBusy, FALSE) << p->m_strDeviceId;
      EXPECT_EQ(p->m_strDriverFiles, m_expected[p->m_strDeviceId]) << p->m_strDeviceId;
    }
    if (HasFailure()) break;
  }
}

// Two plain threads, no pass: every detail step that returns TRUE made the
// list, so across both callers each device gets exactly one TRUE.
TEST_F(DetailPassRace, TwoThreadsGetOneTruePerDevice) {
  constexpr int kRounds = 150;
  CCmDevTree tree;
  for (int round = 0; round < kRounds; ++round) {
    tree.Enumerate();
    std::vector<CCmDevice*> devices = PreOrder(tree);
    std::atomic<int> nTrue{0};
    auto caller = [&](bool bBackwards) {
      for (size_t i = 0; i < devices.size(); ++i) {
        CCmDevice* p = devices[bBackwards ? devices.size() - 1 - i : i];
        if (CollectDriverFiles(*p)) ++nTrue;
      }
    };
    std::thread first(caller, false);
    std::thread second(caller, round % 2 == 0);  // every other round on the same path
    first.join();
    second.join();
    EXPECT_EQ(nTrue.load(), kDevices) << "round " << round;
    for (CCmDevice* p : devices) {
      EXPECT_EQ(p->m_strDriverFiles, m_expected[p->m_strDeviceId]) << p->m_strDeviceId;
    }
    if (HasFailure()) break;
  }
}

// What ends or waits for a pass that runs on its own thread, and what must
// hold afterwards.
struct EndCase {
  const char* name;
  std::function<void(std::unique_ptr<CCmDevTree>&)> act;
  bool bTreeRemains;
  bool bJoinsTheThread;   // else the thread's handle stays until the tree goes
  bool bPassRanToItsEnd;  // every device detailed
};

void StoreTree(CCmDevTree& tree) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  tree.Serialize(ar);
  ar.Close();
}

const EndCase kEndCases[] = {
    {"destroying the tree", [](std::unique_ptr<CCmDevTree>& p) { p.reset(); }, false, true, false},
    {"stopping the pass", [](std::unique_ptr<CCmDevTree>& p) { p->StopDetailThread(); }, true, true, false},
    {"enumerating again", [](std::unique_ptr<CCmDevTree>& p) { p->Enumerate(); }, true, true, false},
    {"a new pass inline",
     [](std::unique_ptr<CCmDevTree>& p) { p->StartDetailPass(FALSE); }, true, true, true},
    {"writing the tree", [](std::unique_ptr<CCmDevTree>& p) { StoreTree(*p); }, true, false, true},
    {"reading a tree into it",
     [](std::unique_ptr<CCmDevTree>& p) {
       CCmDevTree source;
       CMemFile file;
       {
         CArchive ar(&file, CArchive::store);
         source.Serialize(ar);
         ar.Close();
       }
       file.SeekToBegin();
       CArchive ar(&file, CArchive::load);
       p->Serialize(ar);
       ar.Close();
     },
     true, true, false},
};

// Counts the pass's reports; a report after the operation returned would
// come from a pass that outlived it.
struct PassProbe {
  std::atomic<int> nReports{0};
  std::atomic<bool> bEnded{false};
  std::atomic<int> nLate{0};
};

BOOL CountDetail(LONG nCode, ULONG_PTR, void* pParam) {
  auto* pProbe = static_cast<PassProbe*>(pParam);
  if (pProbe->bEnded) ++pProbe->nLate;
  if (nCode == PROGRESS_DEVICE_DETAIL) ++pProbe->nReports;
  return TRUE;
}

TEST_F(DetailPassRace, EndingAPassAtARandomMoment) {
  constexpr int kRounds = 60;
  std::mt19937 random(20261211);
  for (const EndCase& c : kEndCases) {
    for (int round = 0; round < kRounds; ++round) {
      PassProbe probe;
      auto pTree = std::make_unique<CCmDevTree>();
      pTree->Enumerate();
      pTree->SetProgressCallback(&CountDetail, &probe);
      pTree->StartDetailPass(TRUE);
      ASSERT_NE(pTree->m_hDetailThread, nullptr) << c.name;
      // Anywhere from before the first device to after the last.
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));

      c.act(pTree);
      probe.bEnded = true;

      if (c.bJoinsTheThread) {
        EXPECT_EQ(m.OpenHandles(tov::machine::kThreadHandle), 0) << c.name << " round " << round;
      }
      if (c.bTreeRemains) {
        EXPECT_EQ(pTree->m_hDetailThread == nullptr, c.bJoinsTheThread) << c.name;
        EXPECT_TRUE(pTree->IsDetailPassDone() || pTree->m_bLoaded) << c.name;
        if (c.bPassRanToItsEnd) {
          for (CCmDevice* p : PreOrder(*pTree)) {
            EXPECT_EQ(p->m_lDetailsCollected, TRUE) << c.name << " " << p->m_strDeviceId;
            EXPECT_EQ(p->m_strDriverFiles, m_expected[p->m_strDeviceId]) << c.name;
          }
        }
      }
      pTree.reset();
      EXPECT_EQ(m.OpenHandles(tov::machine::kThreadHandle), 0) << c.name << " round " << round;
      EXPECT_EQ(probe.nLate.load(), 0) << c.name;
      EXPECT_LE(probe.nReports.load(), 2 * kDevices) << c.name;
      if (HasFailure()) return;
    }
  }
}

}  // namespace
