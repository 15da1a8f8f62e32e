// Ownership of the device tree: destruction, ClearDetails, and chains far
// longer than a small stack could follow by recursion.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "devtree/cm_dev_tree.h"
#include "devtree/cm_log_conf.h"
#include "tests/devtree/devman_fixture.h"
#include "tests/report/archive_test_support.h"
#include "tests/report/small_stack_thread.h"

namespace {

constexpr size_t kSmallStack = 1 << 20;

TEST(DeviceLifetime, DestroyingTheRootDestroysEveryDeviceOnce) {
  // Root with children A, B, C; B has children B1 and B2.
  CountedDevice::Destroyed().clear();
  auto* pRoot = new CountedDevice;
  std::set<const void*> created{pRoot};
  CountedDevice* apChildren[3];
  for (CountedDevice*& pChild : apChildren) {
    pChild = new CountedDevice;
    pChild->m_pParent = pRoot;
    created.insert(pChild);
  }
  pRoot->m_pFirstChild = apChildren[0];
  apChildren[0]->m_pNextSibling = apChildren[1];
  apChildren[1]->m_pNextSibling = apChildren[2];
  auto* pB1 = new CountedDevice;
  auto* pB2 = new CountedDevice;
  apChildren[1]->m_pFirstChild = pB1;
  pB1->m_pNextSibling = pB2;
  created.insert(pB1);
  created.insert(pB2);

  delete pRoot;

  std::vector<const void*> destroyed = CountedDevice::Destroyed();
  EXPECT_EQ(destroyed.size(), 6u);
  EXPECT_EQ(std::set<const void*>(destroyed.begin(), destroyed.end()), created);
}

TEST(DeviceLifetime, ClearDetailsDropsCollectedNumbersAndConfigurationsOnly) {
  CCmDevTree tree;
  BuildSmallTree(tree);
  CCmDevice* pRoot = tree.m_pRoot;
  pRoot->m_wPciAddress = 0x0201;
  pRoot->m_lDetailsCollected = TRUE;

  pRoot->ClearDetails();

  for (const CCmLogConf* pLogConf : pRoot->m_apLogConf) EXPECT_EQ(pLogConf, nullptr);
  EXPECT_EQ(pRoot->m_ulDeviceReference, 0u);
  EXPECT_EQ(pRoot->m_ulCapabilities, 0u);
  EXPECT_EQ(pRoot->m_ulAddress, 0u);
  EXPECT_EQ(pRoot->m_ulUINumber, 0u);
  EXPECT_EQ(pRoot->m_ulCharacteristics, 0u);
  EXPECT_EQ(pRoot->m_ulStatus, 0u);
  EXPECT_EQ(pRoot->m_ulProblem, 0u);
  EXPECT_TRUE(pRoot->m_guidClass == GUID{});
  EXPECT_EQ(pRoot->m_wPciAddress, 0);
  EXPECT_EQ(pRoot->m_lDetailsCollected, FALSE);
  // Texts, handles and links stay.
  EXPECT_EQ(pRoot->m_strDeviceId, "a");
  EXPECT_EQ(pRoot->m_strClassGuid, "r");
  EXPECT_EQ(pRoot->m_dnChild, 2u);
  ASSERT_NE(pRoot->m_pFirstChild, nullptr);
  EXPECT_EQ(pRoot->m_pFirstChild->m_strDeviceId, "x");
}

// A tree of nDevices under one root, either all children of the root or each
// the only child of the one before.
std::unique_ptr<CCmDevTree> LongChainTree(size_t nDevices, bool bSiblings) {
  auto pTree = std::make_unique<CCmDevTree>();
  pTree->m_pRoot = new CCmDevice;
  pTree->m_pRoot->m_pTree = pTree.get();
  pTree->m_pRoot->m_dnDevInst = 1;
  CCmDevice* pLast = nullptr;
  CCmDevice* pParent = pTree->m_pRoot;
  for (size_t i = 0; i < nDevices; ++i) {
    auto* pDevice = new CCmDevice;
    pDevice->m_pTree = pTree.get();
    pDevice->m_dnDevInst = static_cast<DWORD>(i + 2);
    pDevice->m_pParent = pParent;
    if (pLast == nullptr || !bSiblings) {
      pParent->m_pFirstChild = pDevice;
    } else {
      pLast->m_pNextSibling = pDevice;
    }
    pLast = pDevice;
    if (!bSiblings) pParent = pDevice;
  }
  return pTree;
}

size_t CountDevices(const CCmDevTree& tree) {
  size_t nCount = 0;
  for (const CCmDevice* p = tree.m_pRoot; p != nullptr; p = CCmDevTree::NextDevice(p, tree.m_pRoot)) {
    ++nCount;
  }
  return nCount;
}

class LongChains : public testing::TestWithParam<bool> {};

TEST_P(LongChains, WriteReadAndDestroyOnASmallStack) {
  const size_t kDevices = 20000;
  std::unique_ptr<CCmDevTree> pTree = LongChainTree(kDevices, GetParam());
  Bytes stored;
  RunWithStack(kSmallStack, [&] { stored = StoreBytes([&](CArchive& ar) { pTree->Serialize(ar); }); });

  auto pLoaded = std::make_unique<CCmDevTree>();
  RunWithStack(kSmallStack, [&] { LoadBytes(stored, [&](CArchive& ar) { pLoaded->Serialize(ar); }); });
  EXPECT_EQ(CountDevices(*pLoaded), kDevices + 1);
  EXPECT_EQ(pLoaded->FindDevice(kDevices + 1)->m_dnDevInst, kDevices + 1);

  // Written again, the loaded tree gives the same bytes.
  Bytes restored;
  RunWithStack(kSmallStack, [&] { restored = StoreBytes([&](CArchive& ar) { pLoaded->Serialize(ar); }); });
  EXPECT_TRUE(restored == stored);

  RunWithStack(kSmallStack, [&] {
    pTree.reset();
    pLoaded.reset();
  });
}

INSTANTIATE_TEST_SUITE_P(Shapes, LongChains, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Siblings" : "Descendants";
                         });

}  // namespace
