// What the Linux platform's Configuration Manager and setup library promise
// beyond the binding's own paths: the release ledger catches a handle
// released twice, buffers too small are refused whole, and the setup library
// selects, queues and scans only as documented.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/cfgmgr/device_machine.h"
#include "win32_api.h"

namespace tov::test {
namespace {

using machine::kDeviceInfoSetHandle;
using machine::kFileQueueHandle;

TEST(ConfigurationManagerModel, LedgerFlagsAConfigurationReleasedAsADescriptor) {
  AdapterMachine am;
  am.adapter.LogConf(ALLOC_LOG_CONF).Res(ResType_IRQ, {9});
  LOG_CONF lc = 0;
  ASSERT_EQ(CM_Get_First_Log_Conf(&lc, am.adapter.Handle(), ALLOC_LOG_CONF), static_cast<CONFIGRET>(CR_SUCCESS));
  // Configuration and descriptor handles share one form, as on the platform.
  EXPECT_EQ(CM_Free_Res_Des_Handle(lc), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(CM_Free_Log_Conf_Handle(lc), static_cast<CONFIGRET>(CR_INVALID_LOG_CONF));
  EXPECT_EQ(am.m.Devices().Releases().Releases(lc), 2);
  EXPECT_EQ(am.m.Devices().Releases().BadReleases(), 1);
}

TEST(ConfigurationManagerModel, ValuesThatDoNotFitAreRefusedWhole) {
  AdapterMachine am;
  char buffer[8] = "#######";
  ULONG type = 0, length = sizeof buffer;
  EXPECT_EQ(CM_Get_DevNode_Registry_PropertyA(am.adapter.Handle(), CM_DRP_MFG, &type, buffer, &length, 0),
            static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_STREQ(buffer, "Intel");
  length = 4;
  std::memcpy(buffer, "#######", 8);
  EXPECT_EQ(CM_Get_DevNode_Registry_PropertyA(am.adapter.Handle(), CM_DRP_MFG, &type, buffer, &length, 0),
            static_cast<CONFIGRET>(CR_BUFFER_SMALL));
  EXPECT_EQ(length, 6u);
  EXPECT_STREQ(buffer, "#######");

  // An ID that does not fit with its NUL is copied as far as it fits.
  EXPECT_EQ(CM_Get_Device_IDA(am.root.Handle(), buffer, 8, 0), static_cast<CONFIGRET>(CR_BUFFER_SMALL));
  EXPECT_EQ(std::string(buffer, 8), "HTREE\\RO");
}

TEST(ConfigurationManagerModel, ARemovedDeviceLeavesTheTreeAndItsOpenHandlesStayUsable) {
  AdapterMachine am;
  machine::DeviceNode& usb = am.root.Child("USB\\ROOT_HUB\\4&1");
  usb.Child("USB\\VID_046D&PID_C016\\5&2");
  machine::DeviceNode& last = am.root.Child("ROOT\\LEGACY_BEEP\\0000");
  am.adapter.LogConf(BOOT_LOG_CONF).Res(ResType_IO, {1});
  LOG_CONF lc = 0;
  ASSERT_EQ(CM_Get_First_Log_Conf(&lc, am.adapter.Handle(), BOOT_LOG_CONF), static_cast<CONFIGRET>(CR_SUCCESS));
  const DEVINST adapter = am.adapter.Handle();

  am.m.Devices().Remove(am.adapter);
  DEVINST child = 0, sibling = 0;
  EXPECT_EQ(CM_Get_Child(&child, am.root.Handle(), 0), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(child, usb.Handle());
  EXPECT_EQ(CM_Get_Sibling(&sibling, child, 0), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(sibling, last.Handle());
  char id[MAX_DEVICE_ID_LEN];
  EXPECT_EQ(CM_Get_Device_IDA(adapter, id, sizeof id, 0), static_cast<CONFIGRET>(CR_INVALID_DEVNODE));
  EXPECT_EQ(am.m.Devices().FindById(kAdapterId), nullptr);

  RES_DES rd = 0;
  RESOURCEID type = 0;
  EXPECT_EQ(CM_Get_Next_Res_Des(&rd, lc, ResType_All, &type, 0), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(CM_Free_Res_Des_Handle(rd), static_cast<CONFIGRET>(CR_SUCCESS));
  EXPECT_EQ(CM_Free_Log_Conf_Handle(lc), static_cast<CONFIGRET>(CR_SUCCESS));

  am.m.Devices().Remove(usb);  // a subtree goes as a whole
  EXPECT_EQ(am.m.Devices().FindById("USB\\VID_046D&PID_C016\\5&2"), nullptr);
  EXPECT_THROW(am.m.Devices().Remove(am.root), std::invalid_argument);
}

// A set with the adapter's element, its driver list built from oem3.inf.
struct OpenAdapter {
  explicit OpenAdapter(AdapterMachine& am) {
    set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    element.cbSize = sizeof element;
    EXPECT_TRUE(SetupDiOpenDeviceInfoA(set, kAdapterId, nullptr, 0, &element));
    EXPECT_EQ(element.DevInst, am.adapter.Handle());
    params.cbSize = sizeof params;
    params.Flags = DI_ENUMSINGLEINF;
    std::strcpy(params.DriverPath, "oem3.inf");
  }
  ~OpenAdapter() { SetupDiDestroyDeviceInfoList(set); }
  BOOL Build(DWORD flags_ex) {
    params.FlagsEx = flags_ex;
    return SetupDiSetDeviceInstallParamsA(set, &element, &params) &&
           SetupDiBuildDriverInfoList(set, &element, SPDIT_CLASSDRIVER);
  }
  BOOL Select(DWORD type, const char* description, const char* mfg, const char* provider) {
    SP_DRVINFO_DATA_V1_A driver{};
    driver.cbSize = sizeof driver;
    driver.DriverType = type;
    std::strcpy(driver.Description, description);
    std::strcpy(driver.MfgName, mfg);
    std::strcpy(driver.ProviderName, provider);
    return SetupDiSetSelectedDriverA(set, &element, &driver);
  }

  HDEVINFO set;
  SP_DEVINFO_DATA element{};
  SP_DEVINSTALL_PARAMS_A params{};
};

TEST(SetupModel, SelectsOnlyTheEntryWhoseTypeAndTextsAllMatch) {
  AdapterMachine am;
  OpenAdapter open(am);
  ASSERT_TRUE(open.Build(0));
  const char* desc = "Intel(R) PRO/1000 MT Network Connection";
  EXPECT_FALSE(open.Select(SPDIT_COMPATDRIVER, desc, "Intel", "Intel"));
  EXPECT_FALSE(open.Select(SPDIT_CLASSDRIVER, "Intel(R) PRO/1000", "Intel", "Intel"));
  EXPECT_FALSE(open.Select(SPDIT_CLASSDRIVER, desc, "Intel Corp.", "Intel"));
  EXPECT_FALSE(open.Select(SPDIT_CLASSDRIVER, desc, "Intel", ""));
  EXPECT_TRUE(open.Select(SPDIT_CLASSDRIVER, "intel(r) pro/1000 mt network connection", "INTEL", "Intel"));

  am.driver.ExcludedFromSelect();
  ASSERT_TRUE(open.Build(0));
  EXPECT_FALSE(open.Select(SPDIT_CLASSDRIVER, desc, "Intel", "Intel"));
  ASSERT_TRUE(open.Build(DI_FLAGSEX_ALLOWEXCLUDEDDRVS));
  EXPECT_TRUE(open.Select(SPDIT_CLASSDRIVER, desc, "Intel", "Intel"));
}

constexpr UINT kStopScan = 1223;  // what a callback answers to stop a scan

UINT CALLBACK Collect(PVOID context, UINT notification, UINT_PTR path, UINT_PTR) {
  auto* paths = static_cast<std::vector<std::string>*>(context);
  EXPECT_EQ(notification, static_cast<UINT>(SPFILENOTIFY_QUEUESCAN));
  paths->push_back(reinterpret_cast<const char*>(path));
  return paths->size() == 2 ? kStopScan : 0;
}

TEST(SetupModel, QueuesFilesOnlyIntoACallersQueueAndScansThemInOrder) {
  AdapterMachine am({"C:\\a.sys", "C:\\b.sys", "C:\\c.sys"});
  OpenAdapter open(am);
  ASSERT_TRUE(open.Build(0));
  ASSERT_TRUE(open.Select(SPDIT_CLASSDRIVER, "Intel(R) PRO/1000 MT Network Connection", "Intel", "Intel"));

  // Without DI_NOVCP the installer would copy the files: refused.
  EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, open.set, &open.element));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // DI_NOVCP needs a queue.
  open.params.Flags |= DI_NOVCP;
  EXPECT_FALSE(SetupDiSetDeviceInstallParamsA(open.set, &open.element, &open.params));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

  HSPFILEQ queue = SetupOpenFileQueue();
  open.params.FileQueue = queue;
  ASSERT_TRUE(SetupDiSetDeviceInstallParamsA(open.set, &open.element, &open.params));
  ASSERT_TRUE(SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, open.set, &open.element));

  std::vector<std::string> paths;
  DWORD result = 7;
  EXPECT_FALSE(SetupScanFileQueueA(queue, SPQ_SCAN_USE_CALLBACK, nullptr, Collect, &paths, &result));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(kStopScan));
  EXPECT_EQ(paths, (std::vector<std::string>{"C:\\a.sys", "C:\\b.sys"}));
  EXPECT_TRUE(SetupCloseFileQueue(queue));
  EXPECT_FALSE(SetupCloseFileQueue(queue));
  EXPECT_EQ(am.m.Devices().Releases().BadReleases(), 1);
}

}  // namespace
}  // namespace tov::test
