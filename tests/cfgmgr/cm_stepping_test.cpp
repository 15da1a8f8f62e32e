// The walks: device nodes in pre-order within the stop node's subtree,
// configurations released as the walk passes them, descriptors released
// once each and the configuration never by the descriptor walk.
#include "cfgmgr/cm_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cfgmgr/device_machine.h"

namespace tov::test {
namespace {

using machine::DeviceNode;
using machine::kLogConfHandle;
using machine::kResDesHandle;
using machine::Machine;
using machine::ScopedMachine;

// R: A (A1, A2 (A2a)), B, C (C1)
class WalkTest : public ::testing::Test {
 protected:
  static bool Populate(Machine& m) {
    AddDeviceLibraries(m);
    DeviceNode& r = m.Devices().Root("R");
    DeviceNode& a = r.Child("A");
    a.Child("A1");
    a.Child("A2").Child("A2a");
    r.Child("B");
    r.Child("C").Child("C1");
    return true;
  }

  // The IDs of the nodes a walk from `start` with stop node `stop` visits.
  std::vector<std::string> Walk(const char* start, const char* stop) {
    std::vector<std::string> ids;
    DEVINST dnStop = m_.Devices().FindById(stop)->Handle();
    for (DEVINST dn = m_.Devices().FindById(start)->Handle(); dn != 0 && ids.size() < 20;
         dn = api_.NextDevNode(dn, dnStop, TRUE)) {
      ids.push_back(m_.Devices().Find(dn)->InstanceId());
    }
    return ids;
  }

  Machine m_;
  bool populated_ = Populate(m_);  // before the binding loads the libraries
  ScopedMachine use_{m_};
  CCmApi api_;
};

TEST_F(WalkTest, VisitsEveryNodeOnceInPreOrderAndThenEnds) {
  CmCursor cursor;
  DEVINST root = api_.FirstDevNode(cursor);
  ASSERT_NE(root, 0u);
  EXPECT_EQ(cursor.hFirst, root);
  EXPECT_EQ(cursor.hCurrent, root);
  EXPECT_EQ(Walk("R", "R"), (std::vector<std::string>{"R", "A", "A1", "A2", "A2a", "B", "C", "C1"}));
}

TEST_F(WalkTest, NeverLeavesTheStopNodesSubtree) {
  EXPECT_EQ(Walk("A", "A"), (std::vector<std::string>{"A", "A1", "A2", "A2a"}));
  EXPECT_EQ(Walk("C1", "C"), (std::vector<std::string>{"C1"}));
  EXPECT_EQ(api_.NextDevNode(0, 1, TRUE), 0u);
}

TEST_F(WalkTest, WithoutDescendingClimbsToTheNextSiblingOfAnAncestor) {
  DEVINST a2a = m_.Devices().FindById("A2a")->Handle();
  DEVINST root = m_.Devices().FindById("R")->Handle();
  DEVINST a = m_.Devices().FindById("A")->Handle();
  EXPECT_EQ(m_.Devices().Find(api_.NextDevNode(a2a, root, FALSE))->InstanceId(), "B");
  EXPECT_EQ(api_.NextDevNode(a, root, FALSE), m_.Devices().FindById("B")->Handle());
}

TEST(FirstDevNode, GivesZeroWithoutARoot) {
  Machine m;
  AddDeviceLibraries(m);
  ScopedMachine use(m);
  CCmApi api;
  CmCursor cursor{7, 7, 0};
  EXPECT_EQ(api.FirstDevNode(cursor), 0u);
  EXPECT_EQ(cursor.hFirst, 0u);
  EXPECT_EQ(cursor.hCurrent, 0u);
}

class ConfigurationWalk : public ::testing::Test {
 protected:
  static DEVINST Populate(Machine& m) {
    AddDeviceLibraries(m);
    DeviceNode& device = m.Devices().Root("R").Child("PCI\\VEN_1\\0");
    device.LogConf(ALLOC_LOG_CONF, LCPRI_BOOTCONFIG)
        .Res(ResType_IRQ, {0x01, 0x00})
        .Res(ResType_Mem, {0x02})
        .Res(ResType_IO, {0x03});
    device.LogConf(ALLOC_LOG_CONF).Res(ResType_IO, {0x04});
    device.LogConf(BASIC_LOG_CONF).Res(ResType_DMA, {0x05});
    device.LogConf(ALLOC_LOG_CONF);
    return device.Handle();
  }

  // The configurations of `type`, walked as the device collection does.
  std::vector<LOG_CONF> Configurations(ULONG type) {
    std::vector<LOG_CONF> handles;
    CmCursor cursor;
    cursor.hFirst = device_;
    api_.CM_Get_First_Log_Conf(&cursor.hCurrent, device_, type);
    for (LOG_CONF lc = cursor.hCurrent; lc != 0; lc = api_.NextLogConf(cursor)) handles.push_back(lc);
    return handles;
  }

  Machine m_;
  DEVINST device_ = Populate(m_);  // before the binding loads the libraries
  ScopedMachine use_{m_};
  CCmApi api_;
};

TEST_F(ConfigurationWalk, ReleasesEachConfigurationOnceAsItPasses) {
  std::vector<LOG_CONF> configurations = Configurations(ALLOC_LOG_CONF);
  ASSERT_EQ(configurations.size(), 3u);
  for (LOG_CONF lc : configurations) EXPECT_EQ(m_.Devices().Releases().Releases(lc), 1);
  EXPECT_EQ(Configurations(BASIC_LOG_CONF).size(), 1u);
  EXPECT_EQ(Configurations(BOOT_LOG_CONF).size(), 0u);
  EXPECT_EQ(m_.Devices().Releases().BadReleases(), 0);
  EXPECT_EQ(m_.OpenHandles(kLogConfHandle), 0);
}

TEST_F(ConfigurationWalk, DescriptorWalkReleasesEachDescriptorOnceAndNeverTheConfiguration) {
  LOG_CONF lc = 0;
  api_.CM_Get_First_Log_Conf(&lc, device_, ALLOC_LOG_CONF);
  ASSERT_NE(lc, 0u);
  CmCursor cursor{lc, lc, ResType_All};
  std::vector<RES_DES> descriptors;
  std::vector<RESOURCEID> types;
  RESOURCEID type = 0;
  for (RES_DES rd = api_.NextResDes(cursor, &type); rd != 0; rd = api_.NextResDes(cursor, &type)) {
    descriptors.push_back(rd);
    types.push_back(type);
    EXPECT_EQ(m_.Devices().Releases().Releases(lc), 0);  // the configuration stays open
  }
  EXPECT_EQ(types, (std::vector<RESOURCEID>{ResType_IRQ, ResType_Mem, ResType_IO}));
  EXPECT_EQ(cursor.hCurrent, 0u);
  for (RES_DES rd : descriptors) EXPECT_EQ(m_.Devices().Releases().Releases(rd), 1);
  EXPECT_EQ(m_.OpenHandles(kResDesHandle), 0);
  EXPECT_EQ(m_.OpenHandles(kLogConfHandle), 1);

  api_.CM_Free_Log_Conf_Handle(lc);
  EXPECT_EQ(m_.Devices().Releases().Releases(lc), 1);
  EXPECT_EQ(m_.Devices().Releases().BadReleases(), 0);
  EXPECT_EQ(m_.OpenHandles(), 3);  // the three libraries
}

TEST_F(ConfigurationWalk, DescriptorWalkFollowsItsTypeFilter) {
  LOG_CONF lc = 0;
  api_.CM_Get_First_Log_Conf(&lc, device_, ALLOC_LOG_CONF);
  CmCursor cursor{lc, lc, ResType_IO};
  RESOURCEID type = 0;
  RES_DES rd = api_.NextResDes(cursor, &type);
  ASSERT_NE(rd, 0u);
  EXPECT_EQ(type, static_cast<RESOURCEID>(ResType_IO));
  EXPECT_EQ(api_.NextResDes(cursor, &type), 0u);
  api_.CM_Free_Log_Conf_Handle(lc);
  EXPECT_EQ(m_.OpenHandles(kResDesHandle) + m_.OpenHandles(kLogConfHandle), 0);
}

TEST_F(ConfigurationWalk, StoppedCursorsStayStopped) {
  CmCursor cursor{device_, 0, ResType_All};
  RESOURCEID type = 0;
  EXPECT_EQ(api_.NextLogConf(cursor), 0u);
  EXPECT_EQ(api_.NextResDes(cursor, &type), 0u);
  EXPECT_EQ(m_.Calls("CM_Get_Next_Log_Conf") + m_.Calls("CM_Get_Next_Res_Des"), 0);
}

}  // namespace
}  // namespace tov::test
