// The second pass on a thread of its own: the same reports, a stop request
// honoured before the next device, and a writer that waits for the pass.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "devtree/cm_dev_tree.h"
#include "report/mem_file.h"
#include "tests/devtree/device_machine.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

// A root with nChildren children.
void AddFlatTree(Machine& m, int nChildren) {
  DeviceNode& root = m.Devices().Root("ROOT");
  for (int i = 0; i < nChildren; ++i) root.Child("CHILD\\" + std::to_string(i));
}

int DetailedDevices(const CCmDevTree& tree) {
  int nCount = 0;
  for (const CCmDevice* p = tree.m_pRoot; p != nullptr; p = CCmDevTree::NextDevice(p, tree.m_pRoot)) {
    if (p->m_lDetailsCollected) ++nCount;
  }
  return nCount;
}

class DetailThread : public testing::Test {
 protected:
  DetailThread() {
    AddDeviceLibraries(m);
    AddFlatTree(m, 9);
    m_pUse = std::make_unique<ScopedMachine>(m);
    m_pApi = std::make_unique<BoundApi>();
    m_pTree = std::make_unique<CCmDevTree>();
    m_pTree->Enumerate();
  }
  ~DetailThread() override {
    m_pTree.reset();
    m_pApi.reset();
    EXPECT_EQ(m.OpenHandles(), 0);  // the thread handle included
  }

  Machine m;
  std::unique_ptr<ScopedMachine> m_pUse;
  std::unique_ptr<BoundApi> m_pApi;
  std::unique_ptr<CCmDevTree> m_pTree;
};

// Each detail report on the pass's thread takes a while, so the pass is
// still running when the test acts.
BOOL SlowDetail(LONG nCode, ULONG_PTR, void* pParam) {
  if (nCode == PROGRESS_DEVICE_DETAIL) {
    ++*static_cast<std::atomic<int>*>(pParam);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return TRUE;
}

TEST_F(DetailThread, WriterWaitsForThePassToEnd) {
  std::atomic<int> nReports{0};
  m_pTree->SetProgressCallback(&SlowDetail, &nReports);
  m_pTree->StartDetailPass(TRUE);
  ASSERT_NE(m_pTree->m_hDetailThread, nullptr);

  CMemFile file;
  CArchive ar(&file, CArchive::store);
  m_pTree->Serialize(ar);
  ar.Close();

  EXPECT_EQ(nReports.load(), 10);
  EXPECT_EQ(DetailedDevices(*m_pTree), 10);
  EXPECT_TRUE(m_pTree->IsDetailPassDone());
}

struct StopProbe {
  CCmDevTree* pTree;
  std::atomic<bool> bFirstReported{false};
  std::atomic<int> nReports{0};
};

// Holds the pass on its first device until the stop request is there.
BOOL WaitForStop(LONG nCode, ULONG_PTR, void* pParam) {
  auto* pProbe = static_cast<StopProbe*>(pParam);
  if (nCode != PROGRESS_DEVICE_DETAIL) return TRUE;
  ++pProbe->nReports;
  pProbe->bFirstReported = true;
  for (int i = 0; i < 5000 && !pProbe->pTree->m_evStop.IsSet(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return TRUE;
}

TEST_F(DetailThread, StopEndsThePassBeforeTheNextDevice) {
  StopProbe probe{m_pTree.get()};
  m_pTree->SetProgressCallback(&WaitForStop, &probe);
  m_pTree->StartDetailPass(TRUE);
  while (!probe.bFirstReported) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  m_pTree->StopDetailThread();

  EXPECT_EQ(m_pTree->m_hDetailThread, nullptr);
  EXPECT_EQ(probe.nReports.load(), 1);
  EXPECT_EQ(DetailedDevices(*m_pTree), 1);  // the device it stood on finished
  EXPECT_TRUE(m_pTree->IsDetailPassDone());
}

TEST_F(DetailThread, DestroyingTheTreeWaitsForThePass) {
  StopProbe probe{m_pTree.get()};
  m_pTree->SetProgressCallback(&WaitForStop, &probe);
  m_pTree->StartDetailPass(TRUE);
  while (!probe.bFirstReported) std::this_thread::sleep_for(std::chrono::milliseconds(1));

  m_pTree.reset();  // returns only once the pass has ended

  EXPECT_EQ(probe.nReports.load(), 1);
  EXPECT_EQ(m.OpenHandles(tov::machine::kThreadHandle), 0);
}

}  // namespace

namespace {

TEST_F(DetailThread, PassAfterAStoppedOneRunsToItsEnd) {
  StopProbe probe{m_pTree.get()};
  m_pTree->SetProgressCallback(&WaitForStop, &probe);
  m_pTree->StartDetailPass(TRUE);
  while (!probe.bFirstReported) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  m_pTree->StopDetailThread();

  m_pTree->SetProgressCallback(nullptr, nullptr);
  m_pTree->Enumerate();  // collects anew, so every device needs its details again
  m_pTree->StartDetailPass(FALSE);
  EXPECT_EQ(DetailedDevices(*m_pTree), 10);
  EXPECT_TRUE(m_pTree->IsDetailPassDone());
}

}  // namespace
