// A capture on the real system (run under Wine): the configuration manager's
// version and state, the system record, and a tree that writes and reads back.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "cfgmgr/cm_api.h"
#include "devtree/cm_dev_tree.h"
#include "sysinfo/system_info.h"
#include "tests/report/archive_test_support.h"

namespace {

TEST(DevTreeWindows, CapturesTheSystemAndWritesItBack) {
  CCmApi api;
  g_pCmApi = &api;
  CCmDevTree tree;
  BOOL bFoundRoot = tree.Enumerate();
  g_pCmApi = nullptr;

  ASSERT_NE(api.m_hCfgMgr32, nullptr);
  EXPECT_EQ(tree.m_wCmVersion, 0x0400);
  // Wine locates no root node (and answers no global state), so its capture
  // holds the version, the state word and the system record around an empty tree.
  EXPECT_FALSE(bFoundRoot);
  EXPECT_EQ(tree.m_pRoot, nullptr);
  ASSERT_NE(tree.m_pSysInfo, nullptr);
  EXPECT_EQ(tree.m_pSysInfo->m_cbSystemInfo, 36u);
  EXPECT_EQ(tree.m_pSysInfo->m_cbVersionInfo, 156u);

  Bytes stored = StoreBytes([&](CArchive& ar) { tree.Serialize(ar); });
  CCmDevTree loaded;
  LoadBytes(stored, [&](CArchive& ar) { loaded.Serialize(ar); });
  EXPECT_EQ(loaded.m_wCmVersion, tree.m_wCmVersion);
  EXPECT_EQ(loaded.m_ulGlobalState, tree.m_ulGlobalState);
  EXPECT_EQ(loaded.m_pRoot != nullptr, tree.m_pRoot != nullptr);
  ASSERT_NE(loaded.m_pSysInfo, nullptr);
  EXPECT_EQ(loaded.m_pSysInfo->m_strComputerName, tree.m_pSysInfo->m_strComputerName);
  EXPECT_EQ(StoreBytes([&](CArchive& ar) { loaded.Serialize(ar); }), stored);
}

}  // namespace
