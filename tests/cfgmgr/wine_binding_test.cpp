// The binding on the platform's real libraries, run under Wine. Wine loads
// all three libraries, but its Configuration Manager finds no root node, and
// several of its entry points are stubs that raise an exception when called.
// Whatever the platform gives, the binding and the readers over it must
// return their failure results: no crash, no hang.
#include "cfgmgr/cm_api.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cfgmgr/class_key_readers.h"
#include "cfgmgr/stub_guard.h"

namespace {

// An entry point of our own that behaves as an unimplemented stub does.
void RaiseAsAStub(void*) { RaiseException(0x80000100, EXCEPTION_NONCONTINUABLE, 0, nullptr); }

TEST(StubGuard, AStubRaisingItsExceptionCountsAsMissing) {
  int calls = 0;
  EXPECT_TRUE(CallEntryPoint([](void* p) { ++*static_cast<int*>(p); }, &calls));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(CallEntryPoint(RaiseAsAStub, nullptr));
  // Guards nest: a stub inside a guarded call ends only the inner call.
  struct Nested {
    bool inner = true;
    int after = 0;
  } nested;
  EXPECT_TRUE(CallEntryPoint(
      [](void* p) {
        auto* n = static_cast<Nested*>(p);
        n->inner = CallEntryPoint(RaiseAsAStub, nullptr);
        ++n->after;
      },
      &nested));
  EXPECT_FALSE(nested.inner);
  EXPECT_EQ(nested.after, 1);
}

TEST(StubGuard, OtherExceptionsAreLeftToTheirHandlers) {
  bool caught = false;
  try {
    CallEntryPoint([](void*) { throw std::runtime_error("not a stub"); }, nullptr);
  } catch (const std::runtime_error&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
}

UINT CALLBACK StopScan(PVOID, UINT, UINT_PTR, UINT_PTR) { return 1; }

class WineBinding : public ::testing::Test {
 protected:
  CCmApi api_;
};

TEST_F(WineBinding, LoadsTheThreeLibraries) {
  EXPECT_NE(api_.m_hCfgMgr32, nullptr);
  EXPECT_NE(api_.m_hSetupApi, nullptr);
  EXPECT_NE(api_.m_hNewDev, nullptr);
  std::printf("CM_Get_Version: 0x%04X\n", api_.CM_Get_Version());
}

TEST_F(WineBinding, TheDeviceWalkEndsWhereTheRootCannotBeLocated) {
  CmCursor cursor;
  DEVINST root = api_.FirstDevNode(cursor);
  std::printf("root device node: 0x%lX\n", static_cast<unsigned long>(root));
  // Walk whatever there is; a platform without a root gives an empty walk.
  int nodes = 0;
  for (DEVINST dn = root; dn != 0 && nodes < 100000; dn = api_.NextDevNode(dn, root, TRUE)) ++nodes;
  EXPECT_LT(nodes, 100000);
  EXPECT_EQ(api_.NextDevNode(0, root, TRUE), 0u);
}

TEST_F(WineBinding, EntryPointsThatAreStubsGiveTheirMissingResults) {
  ULONG state = 0xA5A5A5A5;
  api_.CM_Get_Global_State(&state, 0);  // a stub under Wine 8: must not end the process
  std::printf("CM_Get_Global_State: 0x%08lX\n", static_cast<unsigned long>(state));

  GUID unknown = {0x6d2a5e0c, 0, 0x4e4f, {0x8f, 0x21, 0x74, 0x65, 0x73, 0x74, 0x00, 0xc1}};
  char name[MAX_PATH] = "";
  ULONG length = MAX_PATH;
  EXPECT_NE(api_.CM_Get_Class_NameA(&unknown, name, &length, 0), static_cast<CONFIGRET>(CR_SUCCESS));
  ULONG characteristics = 0;
  EXPECT_FALSE(GetClassCharacteristics(api_, &unknown, &characteristics));

  // The configuration walks over a node that does not exist.
  CmCursor cursor;
  api_.CM_Get_First_Log_Conf(&cursor.hCurrent, 1, ALLOC_LOG_CONF);
  EXPECT_EQ(cursor.hCurrent, 0u);
  cursor.hCurrent = cursor.hFirst = 0x10;
  RESOURCEID type = 0;
  EXPECT_EQ(api_.NextResDes(cursor, &type), 0u);
  EXPECT_EQ(api_.NextLogConf(cursor), 0u);
}

TEST_F(WineBinding, ReadersOfANodeThatDoesNotExistFail) {
  const DEVINST bogus = 0x7FFF;
  PathBuffer text;
  ULONG value = 0, problem = 5;
  std::string id = "earlier";
  GUID guid{};
  EXPECT_FALSE(api_.GetDevNodeString(bogus, CM_DRP_DEVICEDESC, text));
  EXPECT_FALSE(api_.GetDevNodeDword(bogus, CM_DRP_ADDRESS, &value));
  EXPECT_FALSE(api_.GetDevNodeClassGuid(bogus, &guid));
  EXPECT_FALSE(api_.GetDevNodeClassName(bogus, text));
  EXPECT_FALSE(api_.GetDeviceId(bogus, id));
  EXPECT_EQ(id, "earlier");
  EXPECT_EQ(api_.GetDevNodeStatus(bogus, &problem), 0u);
  EXPECT_EQ(problem, 0u);
  EXPECT_FALSE(api_.GetEnumKeyPath(bogus, text));
  EXPECT_FALSE(api_.GetDriverKeyPath(bogus, text));
  EXPECT_FALSE(api_.GetInfInfo(bogus, text, nullptr, nullptr));
  EXPECT_FALSE(api_.GetServiceImagePath(bogus, text, MAX_PATH));
  EXPECT_EQ(api_.GetDeviceReference(bogus), 0u);
}

TEST_F(WineBinding, DriverFileListsOfANodeThatDoesNotExistAreEmpty) {
  std::vector<char> list(kDriverFileListSize, '#');
  EXPECT_FALSE(api_.GetDriverFileList(0x7FFF, list.data()));
  EXPECT_STREQ(list.data(), "");
  char files[64] = "stale";
  EXPECT_FALSE(api_.GetDriverFiles(0x7FFF, files, sizeof files));
  EXPECT_STREQ(files, "");
}

TEST_F(WineBinding, TheSetupLibraryOpensAndReleasesSetsAndQueues) {
  HDEVINFO set = api_.SetupDiCreateDeviceInfoList(nullptr, nullptr);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA element{};
  element.cbSize = sizeof element;
  EXPECT_FALSE(api_.SetupDiOpenDeviceInfoA(set, "ROOT\\TOVTEST\\0000", nullptr, 0, &element));
  HSPFILEQ queue = api_.SetupOpenFileQueue();
  EXPECT_NE(queue, INVALID_HANDLE_VALUE);
  DWORD result = 0;
  EXPECT_TRUE(api_.SetupScanFileQueueA(queue, SPQ_SCAN_USE_CALLBACK, nullptr, StopScan, nullptr,
                                       &result));  // an empty queue calls nobody
  api_.SetupCloseFileQueue(queue);
  api_.SetupDiDestroyDeviceInfoList(set);
}

TEST_F(WineBinding, SeveralThreadsMayUseTheBindingAtOnce) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < 20; ++i) {
        ULONG state = 0;
        api_.CM_Get_Global_State(&state, 0);
        CmCursor cursor;
        api_.FirstDevNode(cursor);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  SUCCEED();
}

}  // namespace
