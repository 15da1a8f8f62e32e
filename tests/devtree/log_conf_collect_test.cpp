// Collecting configurations and descriptors: what enters the snapshot, in
// which order, with which requirements flag, and that every handle is
// released exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "devtree/cm_log_conf.h"
#include "devtree/device_collect.h"
#include "tests/devtree/device_machine.h"
#include "tests/report/archive_test_support.h"

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

namespace {

Bytes DataOf(const CCmResDes& resDes) {
  return Bytes(resDes.m_pData.get(), resDes.m_pData.get() + resDes.m_ulDataSize);
}

// Collects one device of m with everything released afterwards.
void CollectAndCheckHandles(Machine& m, const DeviceNode& node, CCmDevice& device) {
  {
    ScopedMachine use(m);
    BoundApi api;
    ASSERT_TRUE(CollectDevice(device, node.Handle(), api.Api()));
    EXPECT_EQ(m.OpenHandles(tov::machine::kLogConfHandle), 0);
    EXPECT_EQ(m.OpenHandles(tov::machine::kResDesHandle), 0);
  }
  EXPECT_EQ(m.Devices().Releases().BadReleases(), 0);
}

TEST(LogConfCollect, KeepsConfigurationsWithReadableDescriptorsInPlatformOrder) {
  Machine m;
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_1\\0");
  node.LogConf(ALLOC_LOG_CONF, LCPRI_BOOTCONFIG)
      .Res(ResType_IRQ, {0x01, 0x00, 0x0B, 0x00})
      .Res(ResType_Mem, {0x00, 0x00, 0xF0, 0xFE, 0xFF, 0x0F});
  node.LogConf(ALLOC_LOG_CONF).UnreadableRes(ResType_IO, 8).Res(ResType_DMA, {});

  CCmDevice device;
  CollectAndCheckHandles(m, node, device);

  const CCmLogConf* pLogConf = device.m_apLogConf[ALLOC_LOG_CONF];
  ASSERT_NE(pLogConf, nullptr);
  EXPECT_EQ(pLogConf->m_pNext, nullptr);
  EXPECT_EQ(pLogConf->m_ulType, static_cast<ULONG>(ALLOC_LOG_CONF));
  EXPECT_EQ(pLogConf->m_ulPriority, static_cast<ULONG>(LCPRI_BOOTCONFIG));
  EXPECT_NE(pLogConf->m_hLogConf, 0u);
  const CCmResDes* pIrq = pLogConf->m_pFirstResDes;
  ASSERT_NE(pIrq, nullptr);
  EXPECT_EQ(pIrq->m_ulResType, static_cast<ULONG>(ResType_IRQ));
  EXPECT_EQ(DataOf(*pIrq), (Bytes{0x01, 0x00, 0x0B, 0x00}));
  EXPECT_EQ(pIrq->m_bRequirements, FALSE);
  const CCmResDes* pMem = pIrq->m_pNext;
  ASSERT_NE(pMem, nullptr);
  EXPECT_EQ(pMem->m_ulResType, static_cast<ULONG>(ResType_Mem));
  EXPECT_EQ(DataOf(*pMem), (Bytes{0x00, 0x00, 0xF0, 0xFE, 0xFF, 0x0F}));
  EXPECT_EQ(pMem->m_bRequirements, FALSE);
  EXPECT_EQ(pMem->m_pNext, nullptr);
  for (ULONG ulType : {0u, 1u, 3u, 4u, 5u}) EXPECT_EQ(device.m_apLogConf[ulType], nullptr);
}

TEST(LogConfCollect, MarksRequirementsForBasicFilteredAndOverrideTypes) {
  Machine m;
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_1\\0");
  for (ULONG ulType = 0; ulType < kLogConfTypes; ++ulType) {
    node.LogConf(ulType).Res(ResType_IO, {static_cast<BYTE>(ulType)});
  }

  CCmDevice device;
  CollectAndCheckHandles(m, node, device);

  const BOOL abExpected[kLogConfTypes] = {TRUE, TRUE, FALSE, FALSE, FALSE, TRUE};
  for (ULONG ulType = 0; ulType < kLogConfTypes; ++ulType) {
    SCOPED_TRACE(ulType);
    const CCmLogConf* pLogConf = device.m_apLogConf[ulType];
    ASSERT_NE(pLogConf, nullptr);
    EXPECT_EQ(pLogConf->m_ulType, ulType);
    ASSERT_NE(pLogConf->m_pFirstResDes, nullptr);
    EXPECT_EQ(pLogConf->m_pFirstResDes->m_bRequirements, abExpected[ulType]);
    EXPECT_EQ(DataOf(*pLogConf->m_pFirstResDes), Bytes{static_cast<BYTE>(ulType)});
  }
}

TEST(LogConfCollect, KeepsSeveralConfigurationsOfOneTypeInOrder) {
  Machine m;
  AddDeviceLibraries(m);
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_1\\0");
  for (BYTE b : {1, 2, 3}) node.LogConf(BASIC_LOG_CONF).Res(ResType_IRQ, {b});

  CCmDevice device;
  CollectAndCheckHandles(m, node, device);

  Bytes seen;
  for (const CCmLogConf* p = device.m_apLogConf[BASIC_LOG_CONF]; p != nullptr; p = p->m_pNext) {
    seen.push_back(p->m_pFirstResDes->m_pData[0]);
  }
  EXPECT_EQ(seen, (Bytes{1, 2, 3}));
}

TEST(LogConfCollect, MissingEntryPointsLeaveNoConfigurations) {
  Machine m;
  AddDeviceLibraries(m, {"CM_Get_First_Log_Conf"});
  DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_1\\0");
  node.LogConf(ALLOC_LOG_CONF).Res(ResType_IRQ, {1});
  CCmDevice device;
  CollectAndCheckHandles(m, node, device);
  for (const CCmLogConf* pLogConf : device.m_apLogConf) EXPECT_EQ(pLogConf, nullptr);
}

// Descriptors from no data to a mebibyte: one without data is dropped with
// its configuration; any other keeps its bytes whole, in memory and in its
// record (the size, then exactly that many bytes, then the end of the chain),
// and reads back the same.
TEST(LogConfCollect, DescriptorsOfEverySizeAreKeptAndWrittenWhole) {
  for (ULONG ulSize : {0u, 1u, 4096u, 65537u, 1u << 20}) {
    SCOPED_TRACE(ulSize);
    Bytes data(ulSize);
    for (ULONG i = 0; i < ulSize; ++i) data[i] = static_cast<BYTE>(i * 7 + i / 251);
    Machine m;
    AddDeviceLibraries(m);
    DeviceNode& node = m.Devices().Root("HTREE\\ROOT\\0").Child("PCI\\VEN_1\\0");
    node.LogConf(ALLOC_LOG_CONF).Res(ResType_MemLarge, data);
    CCmDevice device;
    CollectAndCheckHandles(m, node, device);

    const CCmLogConf* pLogConf = device.m_apLogConf[ALLOC_LOG_CONF];
    if (ulSize == 0) {
      EXPECT_EQ(pLogConf, nullptr);
      continue;
    }
    ASSERT_NE(pLogConf, nullptr);
    const CCmResDes* pResDes = pLogConf->m_pFirstResDes;
    ASSERT_NE(pResDes, nullptr);
    EXPECT_EQ(pResDes->m_ulResType, static_cast<ULONG>(ResType_MemLarge));
    EXPECT_EQ(pResDes->m_ulDataSize, ulSize);
    EXPECT_TRUE(DataOf(*pResDes) == data);

    Bytes stored = StoreBytes([&](CArchive& ar) { const_cast<CCmResDes*>(pResDes)->Serialize(ar); });
    Bytes tail = Cat({U32(ulSize), data, U16(0)});
    ASSERT_GE(stored.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), stored.end() - static_cast<long>(tail.size())));
    CCmResDes loaded;
    EXPECT_EQ(LoadBytes(stored, [&](CArchive& ar) { loaded.Serialize(ar); }), stored.size());
    EXPECT_EQ(loaded.m_ulDataSize, ulSize);
    EXPECT_TRUE(DataOf(loaded) == data);
  }
}

}  // namespace
