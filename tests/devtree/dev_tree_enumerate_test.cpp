// Enumerate and the second pass over machine models: the order of progress
// reports, the links of the tree, stopping, and missing parts of the system.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "devtree/cm_dev_tree.h"
#include "report/mem_file.h"
#include "sysinfo/system_info.h"
#include "tests/devtree/device_machine.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

// What the callback saw: (code, device ID or count).
using Report = std::pair<LONG, std::string>;

struct Recorder {
  std::vector<Report> reports;
  int nStopAtDevice = 0;  // answer FALSE on this code-1 report (1-based), 0: never

  static BOOL Callback(LONG nCode, ULONG_PTR value, void* pParam) {
    auto* pSelf = static_cast<Recorder*>(pParam);
    if (nCode == PROGRESS_RANGE) {
      pSelf->reports.emplace_back(nCode, std::to_string(value));
      return TRUE;
    }
    pSelf->reports.emplace_back(nCode, reinterpret_cast<const CCmDevice*>(value)->m_strDeviceId);
    if (nCode == PROGRESS_DEVICE && --pSelf->nStopAtDevice == 0) return FALSE;
    return TRUE;
  }
};

// Root R with children A and B; A has the child A1.
void AddFamily(Machine& m) {
  DeviceNode& root = m.Devices().Root("R");
  DeviceNode& a = root.Child("A");
  root.Child("B");
  a.Child("A1");
}

class DevTreeEnumerate : public testing::Test {
 protected:
  void Install() {
    m_pUse = std::make_unique<ScopedMachine>(m);
    m_pApi = std::make_unique<BoundApi>();
    m_pTree = std::make_unique<CCmDevTree>();
    m_pTree->SetProgressCallback(&Recorder::Callback, &m_recorder);
  }
  void TearDown() override {
    m_pTree.reset();
    m_pApi.reset();
    if (m_pUse) {
      EXPECT_EQ(m.OpenHandles(), 0);
    }
    m_pUse.reset();
  }

  Machine m;
  Recorder m_recorder;
  std::unique_ptr<CCmDevTree> m_pTree;

 private:
  std::unique_ptr<ScopedMachine> m_pUse;
  std::unique_ptr<BoundApi> m_pApi;
};

TEST_F(DevTreeEnumerate, ReportsAndLinksDevicesInPreOrderThenDetailsThem) {
  AddDeviceLibraries(m);
  AddFamily(m);
  m.Devices().Version(0x0400).GlobalState(0x0A);
  Install();

  EXPECT_TRUE(m_pTree->Enumerate());
  m_pTree->StartDetailPass(FALSE);

  const std::vector<Report> expected = {
      {0, "4"}, {1, "R"}, {1, "A"}, {1, "A1"}, {1, "B"},
      {0, "4"}, {2, "R"}, {2, "A"}, {2, "A1"}, {2, "B"},
  };
  EXPECT_EQ(m_recorder.reports, expected);
  CCmDevice* pR = m_pTree->m_pRoot;
  ASSERT_NE(pR, nullptr);
  CCmDevice* pA = pR->m_pFirstChild;
  ASSERT_NE(pA, nullptr);
  EXPECT_EQ(pA->m_strDeviceId, "A");
  ASSERT_NE(pA->m_pNextSibling, nullptr);
  EXPECT_EQ(pA->m_pNextSibling->m_strDeviceId, "B");
  EXPECT_EQ(pA->m_pNextSibling->m_pNextSibling, nullptr);
  ASSERT_NE(pA->m_pFirstChild, nullptr);
  EXPECT_EQ(pA->m_pFirstChild->m_pParent, pA);
  EXPECT_EQ(pA->m_pParent, pR);
  EXPECT_EQ(pR->m_pParent, nullptr);
  for (CCmDevice* p = pR; p != nullptr; p = CCmDevTree::NextDevice(p, pR)) {
    EXPECT_EQ(p->m_pTree, m_pTree.get());
    EXPECT_EQ(p->m_lDetailsCollected, TRUE);
    EXPECT_EQ(m_pTree->FindDevice(p->m_dnDevInst), p);
  }
  EXPECT_EQ(m_pTree->FindDevice(99), nullptr);
  EXPECT_EQ(m_pTree->m_wCmVersion, 0x0400);
  EXPECT_EQ(m_pTree->m_ulGlobalState, 0x0Au);
  ASSERT_NE(m_pTree->m_pSysInfo, nullptr);
  EXPECT_EQ(m_pTree->m_pSysInfo->m_strComputerName, "WORKSTATION");
  EXPECT_TRUE(m_pTree->IsDetailPassDone());
}

TEST_F(DevTreeEnumerate, CallbackAnsweringFalseEndsTheWalk) {
  AddDeviceLibraries(m);
  AddFamily(m);
  Install();
  m_recorder.nStopAtDevice = 2;

  EXPECT_FALSE(m_pTree->Enumerate());

  const std::vector<Report> expected = {{0, "4"}, {1, "R"}, {1, "A"}};
  EXPECT_EQ(m_recorder.reports, expected);
  ASSERT_NE(m_pTree->m_pRoot, nullptr);
  ASSERT_NE(m_pTree->m_pRoot->m_pFirstChild, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot->m_pFirstChild->m_strDeviceId, "A");
  EXPECT_EQ(m_pTree->m_pRoot->m_pFirstChild->m_pFirstChild, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot->m_pFirstChild->m_pNextSibling, nullptr);
}

TEST_F(DevTreeEnumerate, SecondPassStopsWhenTheCallbackSaysSo) {
  AddDeviceLibraries(m);
  AddFamily(m);
  Install();
  m_pTree->Enumerate();
  m_pTree->SetProgressCallback(
      [](LONG nCode, ULONG_PTR value, void*) -> BOOL {
        return nCode != PROGRESS_DEVICE_DETAIL ||
               reinterpret_cast<const CCmDevice*>(value)->m_strDeviceId != "A1";
      },
      nullptr);
  m_pTree->StartDetailPass(FALSE);
  CCmDevice* pA = m_pTree->m_pRoot->m_pFirstChild;
  EXPECT_EQ(m_pTree->m_pRoot->m_lDetailsCollected, TRUE);
  EXPECT_EQ(pA->m_lDetailsCollected, TRUE);
  EXPECT_EQ(pA->m_pFirstChild->m_lDetailsCollected, FALSE);
  EXPECT_EQ(pA->m_pNextSibling->m_lDetailsCollected, FALSE);
  EXPECT_TRUE(m_pTree->IsDetailPassDone());
}

TEST_F(DevTreeEnumerate, WithoutTheLibraryCollectsNothing) {
  AddFamily(m);
  Install();
  EXPECT_FALSE(m_pTree->Enumerate());
  EXPECT_EQ(m_pTree->m_wCmVersion, 0);
  EXPECT_EQ(m_pTree->m_ulGlobalState, 0u);
  EXPECT_EQ(m_pTree->m_pSysInfo, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot, nullptr);
  EXPECT_TRUE(m_recorder.reports.empty());
}

TEST_F(DevTreeEnumerate, WithoutARootReportsZeroButKeepsTheSystemRecord) {
  AddDeviceLibraries(m);
  Install();
  EXPECT_FALSE(m_pTree->Enumerate());
  EXPECT_EQ(m_recorder.reports, (std::vector<Report>{{0, "0"}}));
  EXPECT_EQ(m_pTree->m_pRoot, nullptr);
  EXPECT_NE(m_pTree->m_pSysInfo, nullptr);
}

TEST_F(DevTreeEnumerate, DevicesWithoutAParentObjectAreReportedButNotKept) {
  // Without CM_Get_Parent no device knows its parent: the first becomes the
  // root; the others are reported and freed.
  AddDeviceLibraries(m, {"CM_Get_Parent"});
  AddFamily(m);
  Install();
  EXPECT_TRUE(m_pTree->Enumerate());
  // The walk cannot climb without parents either: it ends after A1.
  const std::vector<Report> expected = {{0, "3"}, {1, "R"}, {1, "A"}, {1, "A1"}};
  EXPECT_EQ(m_recorder.reports, expected);
  ASSERT_NE(m_pTree->m_pRoot, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot->m_strDeviceId, "R");
  EXPECT_EQ(m_pTree->m_pRoot->m_pFirstChild, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot->m_pNextSibling, nullptr);
}

TEST_F(DevTreeEnumerate, EnumeratingAgainBuildsTheSameTree) {
  AddDeviceLibraries(m);
  AddFamily(m);
  Install();
  m_pTree->Enumerate();
  CMemFile first;
  {
    CArchive ar(&first, CArchive::store);
    m_pTree->Serialize(ar);
    ar.Close();
  }
  EXPECT_TRUE(m_pTree->Enumerate());
  CMemFile second;
  {
    CArchive ar(&second, CArchive::store);
    m_pTree->Serialize(ar);
    ar.Close();
  }
  EXPECT_EQ(first.Data(), second.Data());
}

TEST_F(DevTreeEnumerate, SecondPassIgnoresATreeReadFromAFile) {
  AddDeviceLibraries(m);
  AddFamily(m);
  Install();
  m_pTree->Enumerate();
  m_pTree->m_bLoaded = TRUE;
  m_recorder.reports.clear();
  m_pTree->StartDetailPass(FALSE);
  m_pTree->StartDetailPass(TRUE);
  EXPECT_TRUE(m_recorder.reports.empty());
  EXPECT_EQ(m_pTree->m_hDetailThread, nullptr);
  EXPECT_EQ(m_pTree->m_pRoot->m_lDetailsCollected, FALSE);
}

}  // namespace
