// Refresh of a collected device and the once-only detail step.
#include <gtest/gtest.h>

#include "devtree/cm_dev_tree.h"
#include "devtree/device_collect.h"
#include "tests/devtree/device_machine.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

// Root R with children D and S; D has children K1 and K2. Handles follow the
// order of creation: R 1, D 2, S 3, K1 4, K2 5.
struct FamilyMachine {
  Machine m;
  DeviceNode* pD;
  DeviceNode* pS;
  DeviceNode* pK1;

  FamilyMachine() {
    AddDeviceLibraries(m);
    DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
    pD = &root.Child("ROOT\\D\\0");
    pS = &root.Child("ROOT\\S\\0");
    pK1 = &pD->Child("ROOT\\K1\\0");
    pD->Child("ROOT\\K2\\0");
    pD->Prop(CM_DRP_DEVICEDESC, "D");
  }
};

// The same system after K1 was removed: another node (a child of S) took its
// place in the order of creation, so K2 keeps handle 5 and D's first child is
// now K2.
struct FamilyWithoutFirstChild {
  Machine m;
  FamilyWithoutFirstChild() {
    AddDeviceLibraries(m);
    DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
    DeviceNode& d = root.Child("ROOT\\D\\0");
    DeviceNode& s = root.Child("ROOT\\S\\0");
    s.Child("ROOT\\T\\0");
    d.Child("ROOT\\K2\\0");
    d.Prop(CM_DRP_DEVICEDESC, "D changed");
  }
};

class DeviceRefresh : public testing::Test {
 protected:
  DeviceRefresh() : m_use(m_family.m), m_pApi(std::make_unique<BoundApi>()) {}

  CCmDevice* Collected(const DeviceNode& node) {
    CollectDevice(m_device, node.Handle(), m_pApi->Api());
    return &m_device;
  }

  FamilyMachine m_family;
  ScopedMachine m_use;
  std::unique_ptr<BoundApi> m_pApi;
  CCmDevice m_device;
};

TEST_F(DeviceRefresh, UnchangedDeviceIsCollectedAgain) {
  CCmDevice* pD = Collected(*m_family.pD);
  pD->m_strDeviceDesc = "stale";
  pD->m_lDetailsCollected = TRUE;
  EXPECT_TRUE(pD->Refresh(FALSE));
  EXPECT_EQ(pD->m_strDeviceDesc, "D");
  EXPECT_EQ(pD->m_lDetailsCollected, FALSE);  // the next second pass lists its files again
}

TEST_F(DeviceRefresh, RemovedFirstChildChangesTheDevice) {
  CCmDevice* pD = Collected(*m_family.pD);
  EXPECT_EQ(pD->m_dnChild, m_family.pK1->Handle());
  FamilyWithoutFirstChild after;
  ScopedMachine use(after.m);
  EXPECT_FALSE(pD->Refresh(FALSE));
  EXPECT_EQ(pD->m_strDeviceDesc, "D changed");
}

TEST_F(DeviceRefresh, DeviceThatIsGoneHasNoStatus) {
  CCmDevice* pD = Collected(*m_family.pD);
  Machine gone;  // no device nodes at all
  AddDeviceLibraries(gone);
  ScopedMachine use(gone);
  EXPECT_FALSE(pD->Refresh(FALSE));
}

TEST_F(DeviceRefresh, DeviceReadFromAFileIsNotTouched) {
  CCmDevice loaded;
  loaded.m_bLoaded = TRUE;
  loaded.m_dnDevInst = m_family.pD->Handle();
  loaded.m_strDeviceDesc = "from the file";
  EXPECT_FALSE(loaded.Refresh(TRUE));
  EXPECT_EQ(loaded.m_strDeviceDesc, "from the file");
}

TEST(DeviceRefreshTree, RecursionStopsAtTheFirstChangedChild) {
  // Root with children C1, C2, C3; afterwards C2 is gone and every
  // description changed.
  auto build = [](Machine& m, bool bAfter) {
    AddDeviceLibraries(m);
    DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
    for (const char* pszName : {"C1", "C2", "C3"}) {
      DeviceNode& child = root.Child(std::string("ROOT\\") + pszName + "\\0");
      child.Prop(CM_DRP_DEVICEDESC, bAfter ? "after" : "before");
      if (bAfter && std::string(pszName) == "C2") child.NoStatus();
    }
  };
  Machine before, after;
  build(before, false);
  build(after, true);
  ScopedMachine use(before);
  BoundApi api;
  CCmDevTree tree;
  ASSERT_TRUE(tree.Enumerate());
  CCmDevice* pC1 = tree.m_pRoot->m_pFirstChild;
  CCmDevice* pC2 = pC1->m_pNextSibling;
  CCmDevice* pC3 = pC2->m_pNextSibling;

  {
    ScopedMachine useAfter(after);
    EXPECT_FALSE(tree.m_pRoot->Refresh(TRUE));
  }
  EXPECT_EQ(pC1->m_strDeviceDesc, "after");
  EXPECT_EQ(pC2->m_strDeviceDesc, "after");
  EXPECT_EQ(pC2->m_ulStatus, 0u);
  EXPECT_EQ(pC3->m_strDeviceDesc, "before");  // never reached
  EXPECT_TRUE(tree.m_pRoot->Refresh(TRUE));    // the system as it was
}

TEST(DriverFiles, AreCollectedOncePerCollection) {
  Machine m;
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\DISK\\0");
  node.Prop(CM_DRP_SERVICE, "disk");
  m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\disk").ExpandSz("ImagePath", "system32\\DRIVERS\\disk.sys");
  ScopedMachine use(m);
  BoundApi api;
  CCmDevice device;
  CollectDevice(device, node.Handle(), api.Api());

  EXPECT_TRUE(CollectDriverFiles(device));
  EXPECT_EQ(device.m_strDriverFiles, "C:\\WINDOWS\\system32\\DRIVERS\\disk.sys");
  EXPECT_EQ(device.m_lDetailsCollected, TRUE);
  EXPECT_EQ(device.m_lBusy, FALSE);

  device.m_strDriverFiles = "kept";
  EXPECT_FALSE(CollectDriverFiles(device));
  EXPECT_EQ(device.m_strDriverFiles, "kept");
}

TEST(DriverFiles, GiveUpWhileAnotherThreadHoldsTheDevice) {
  Machine m;
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("ROOT\\DISK\\0");
  node.Prop(CM_DRP_SERVICE, "disk");
  ScopedMachine use(m);
  BoundApi api;
  CCmDevice device;
  CollectDevice(device, node.Handle(), api.Api());
  int nQueries = m.Calls("RegOpenKeyExA");

  device.m_lBusy = TRUE;  // held by the other thread throughout
  EXPECT_FALSE(CollectDriverFiles(device));
  EXPECT_EQ(device.m_lDetailsCollected, FALSE);
  EXPECT_EQ(device.m_lBusy, TRUE);
  EXPECT_EQ(m.Calls("RegOpenKeyExA"), nQueries);
  EXPECT_EQ(m.Calls("SetupDiCreateDeviceInfoList"), 0);
}

TEST(DriverFiles, NeedACollectedDevice) {
  CCmDevice device;
  EXPECT_FALSE(CollectDriverFiles(device));
  EXPECT_EQ(device.m_lDetailsCollected, FALSE);
}

}  // namespace
