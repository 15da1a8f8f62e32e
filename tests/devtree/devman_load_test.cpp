// Reading "DevMan" records back: what a loaded tree holds, schemas, and
// hostile or cut-short data.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "devtree/cm_dev_tree.h"
#include "devtree/cm_log_conf.h"
#include "sysinfo/system_info.h"
#include "tests/devtree/devman_fixture.h"
#include "tests/report/archive_test_support.h"

namespace {

Bytes StoreTree(CCmDevTree& tree) {
  return StoreBytes([&](CArchive& ar) { tree.Serialize(ar); });
}

Bytes SmallTreeBytes() {
  CCmDevTree tree;
  BuildSmallTree(tree);
  return StoreTree(tree);
}

void LoadTree(const Bytes& bytes, CCmDevTree& tree) {
  LoadBytes(bytes, [&](CArchive& ar) { tree.Serialize(ar); });
}

TEST(DevManLoad, ReadsTheTreeAsLoadedObjects) {
  CCmDevTree tree;
  LoadTree(SmallTreeBytes(), tree);

  EXPECT_TRUE(tree.m_bLoaded);
  EXPECT_EQ(tree.m_wCmVersion, 0x0400);
  EXPECT_EQ(tree.m_ulGlobalState, 0x0Au);
  const CCmDevice* pRoot = tree.m_pRoot;
  ASSERT_NE(pRoot, nullptr);
  EXPECT_TRUE(pRoot->m_bLoaded);
  EXPECT_EQ(pRoot->m_lDetailsCollected, TRUE);
  EXPECT_EQ(pRoot->m_pApi, nullptr);
  EXPECT_EQ(pRoot->m_pTree, &tree);
  EXPECT_EQ(pRoot->m_pParent, nullptr);
  EXPECT_EQ(pRoot->m_strPdoName, "D");
  EXPECT_EQ(pRoot->m_ulProblem, 0x17u);
  EXPECT_TRUE(pRoot->m_guidClass ==
              (GUID{0x04030201, 0x0605, 0x0807, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}}));

  const CCmLogConf* pLogConf = pRoot->m_apLogConf[2];
  ASSERT_NE(pLogConf, nullptr);
  EXPECT_TRUE(pLogConf->m_bLoaded);
  EXPECT_EQ(pLogConf->m_ulPriority, 0x3000u);
  const CCmResDes* pResDes = pLogConf->m_pFirstResDes;
  ASSERT_NE(pResDes, nullptr);
  EXPECT_EQ(Bytes(pResDes->m_pData.get(), pResDes->m_pData.get() + pResDes->m_ulDataSize),
            Bytes({0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(pResDes->m_bRequirements, FALSE);

  const CCmDevice* pChild = pRoot->m_pFirstChild;
  ASSERT_NE(pChild, nullptr);
  EXPECT_EQ(pChild->m_pParent, pRoot);
  EXPECT_EQ(pChild->m_pTree, &tree);
  EXPECT_EQ(pChild->m_pNextSibling, nullptr);
  EXPECT_EQ(tree.FindDevice(2), pChild);
  EXPECT_EQ(tree.FindDevice(3), nullptr);

  ASSERT_NE(tree.m_pSysInfo, nullptr);
  EXPECT_EQ(tree.m_pSysInfo->m_strComputerName, "PC");
}

TEST(DevManLoad, RecomputesThePciAddressWhichIsNotStored) {
  CCmDevTree tree;
  BuildSmallTree(tree);
  CCmDevice* pChild = tree.m_pRoot->m_pFirstChild;
  pChild->m_strEnumeratorName = "PCI";
  pChild->m_strLocationInfo = "PCI bus 2, device 0, function 1";
  Bytes stored = StoreTree(tree);

  CCmDevTree loaded;
  LoadTree(stored, loaded);
  EXPECT_EQ(loaded.m_pRoot->m_pFirstChild->m_wPciAddress, 0x0201);
}

TEST(DevManLoad, ReadsEverySchemaOfTheDeviceClassAlike) {
  Bytes stored = SmallTreeBytes();
  // The device's class record starts after the version and state: FF FF, schema.
  ASSERT_EQ(stored[6], 0xFF);
  ASSERT_EQ(stored[8], 0x03);
  for (BYTE bSchema : {1, 2}) {
    SCOPED_TRACE(bSchema);
    Bytes bytes = stored;
    bytes[8] = bSchema;
    CCmDevTree tree;
    LoadTree(bytes, tree);
    ASSERT_NE(tree.m_pRoot, nullptr);
    EXPECT_EQ(tree.m_pRoot->m_strPdoName, "D");
    ASSERT_NE(tree.m_pRoot->m_pFirstChild, nullptr);
    // Written again, the tree carries the program's own schema.
    Bytes restored = StoreTree(tree);
    EXPECT_EQ(Hex(restored), Hex(stored));
  }
}

TEST(DevManLoad, ReplacesTheRootAndSystemRecordATreeHeld) {
  CCmDevTree tree;
  CountedDevice::Destroyed().clear();
  auto* pOld = new CountedDevice;
  tree.m_pRoot = pOld;
  tree.m_pSysInfo = new CSystemInfo;
  LoadTree(SmallTreeBytes(), tree);
  EXPECT_EQ(CountedDevice::Destroyed(), std::vector<const void*>{pOld});
  EXPECT_EQ(tree.m_pSysInfo->m_strComputerName, "PC");
}

TEST(DevManLoad, FailsOnEveryCutShortRecord) {
  Bytes stored = SmallTreeBytes();
  for (size_t nLength = 0; nLength < stored.size(); ++nLength) {
    SCOPED_TRACE(nLength);
    CCmDevTree tree;
    Bytes cut(stored.begin(), stored.begin() + nLength);
    EXPECT_EQ(ArchiveErrorCause([&] { LoadTree(cut, tree); }), CArchiveException::endOfFile);
  }
}

// Malformed graphs, written as they stand: the writer does not check them, so
// their bytes are what a hostile file would hold.
struct HostileCase {
  const char* name;
  std::function<void(CCmDevTree& tree, CCmDevTree& other)> spoil;
  std::function<void(CCmDevTree& tree)> repair;  // before the spoilt tree is destroyed
};

TEST(DevManLoad, RejectsLinksThatWouldShareOrLoseObjects) {
  auto child = [](CCmDevTree& tree) { return tree.m_pRoot->m_pFirstChild; };
  const HostileCase cases[] = {
      {"child is its own parent", [&](CCmDevTree& t, CCmDevTree&) { child(t)->m_pParent = child(t); },
       [](CCmDevTree&) {}},
      {"parent is a new device", [&](CCmDevTree& t, CCmDevTree&) { child(t)->m_pParent = new CCmDevice; },
       [&](CCmDevTree& t) { delete child(t)->m_pParent; }},
      {"tree is a new tree", [&](CCmDevTree& t, CCmDevTree& other) { child(t)->m_pTree = &other; },
       [](CCmDevTree&) {}},
      {"configuration shared by two slots",
       [](CCmDevTree& t, CCmDevTree&) { t.m_pRoot->m_apLogConf[3] = t.m_pRoot->m_apLogConf[2]; },
       [](CCmDevTree& t) { t.m_pRoot->m_apLogConf[3] = nullptr; }},
      {"descriptor shared by two configurations",
       [](CCmDevTree& t, CCmDevTree&) {
         auto* pLogConf = new CCmLogConf;
         pLogConf->m_pFirstResDes = t.m_pRoot->m_apLogConf[2]->m_pFirstResDes;
         t.m_pRoot->m_apLogConf[4] = pLogConf;
       },
       [](CCmDevTree& t) { t.m_pRoot->m_apLogConf[4]->m_pFirstResDes = nullptr; }},
      {"child's child is the root", [&](CCmDevTree& t, CCmDevTree&) { child(t)->m_pFirstChild = t.m_pRoot; },
       [&](CCmDevTree& t) { child(t)->m_pFirstChild = nullptr; }},
      {"child's sibling is the root", [&](CCmDevTree& t, CCmDevTree&) { child(t)->m_pNextSibling = t.m_pRoot; },
       [&](CCmDevTree& t) { child(t)->m_pNextSibling = nullptr; }},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    CCmDevTree other;
    CCmDevTree tree;
    BuildSmallTree(tree);
    c.spoil(tree, other);
    Bytes stored = StoreTree(tree);
    c.repair(tree);

    CCmDevTree loaded;
    EXPECT_EQ(ArchiveErrorCause([&] { LoadTree(stored, loaded); }), CArchiveException::badIndex);
    EXPECT_EQ(loaded.m_pRoot, nullptr);
  }
}

TEST(DevManLoad, DescriptorSizeBeyondTheStreamFailsBeforeAllocating) {
  Bytes stored = SmallTreeBytes();
  const Bytes sizeAndData = {0x03, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC};
  auto found = std::search(stored.begin(), stored.end(), sizeAndData.begin(), sizeAndData.end());
  ASSERT_NE(found, stored.end());
  const Bytes hugeSize = U32(0xFFFFFFF0);
  std::copy(hugeSize.begin(), hugeSize.end(), found);
  CCmDevTree loaded;
  EXPECT_EQ(ArchiveErrorCause([&] { LoadTree(stored, loaded); }), CArchiveException::endOfFile);
}

}  // namespace
