// The driver file list of a device over a machine: the service image file
// first, then what the driver package's class installer queues, each path
// once; and every device information set and file queue released exactly
// once, whatever step fails.
#include "cfgmgr/cm_api.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/cfgmgr/device_machine.h"

namespace tov::test {
namespace {

using machine::kDeviceInfoSetHandle;
using machine::kFileQueueHandle;

const char* const kImage = "C:\\WINDOWS\\system32\\DRIVERS\\e1000.sys";

struct ListResult {
  BOOL ok;
  std::string text;
};

ListResult FileList(AdapterMachine& am) {
  CCmApi api;
  std::vector<char> list(kDriverFileListSize, '#');
  BOOL ok = api.GetDriverFileList(am.adapter.Handle(), list.data());
  return {ok, list.data()};
}

// Every set and queue handed out was released exactly once, and no key the
// readers opened is left open.
void ExpectHandlesReleasedOnce(AdapterMachine& am) {
  EXPECT_EQ(am.m.OpenHandles(kDeviceInfoSetHandle), 0);
  EXPECT_EQ(am.m.OpenHandles(kFileQueueHandle), 0);
  EXPECT_EQ(am.m.OpenHandles(machine::kRegistryKeyHandle), 0);
  EXPECT_EQ(am.m.Devices().Releases().BadReleases(), 0);
  EXPECT_EQ(am.m.Handles().OpenedCount(kDeviceInfoSetHandle), am.m.Calls("SetupDiDestroyDeviceInfoList"));
  EXPECT_EQ(am.m.Handles().OpenedCount(kFileQueueHandle), am.m.Calls("SetupCloseFileQueue"));
}

TEST(GetDriverFileList, ListsTheServiceImageOnceInTheFormItsServiceGives) {
  AdapterMachine am({"C:\\WINDOWS\\System32\\Drivers\\E1000.SYS", "C:\\WINDOWS\\system32\\e1000msg.dll",
                     "C:\\WINDOWS\\inf\\oem3.inf"});
  ListResult list = FileList(am);
  EXPECT_TRUE(list.ok);
  EXPECT_EQ(list.text, std::string(kImage) + "\nC:\\WINDOWS\\system32\\e1000msg.dll\nC:\\WINDOWS\\inf\\oem3.inf");
  EXPECT_EQ(am.m.Handles().OpenedCount(kFileQueueHandle), 1);
  ExpectHandlesReleasedOnce(am);
}

TEST(GetDriverFileList, WithoutAServiceListsTheQueuedFilesAlone) {
  AdapterMachine am({"C:\\W\\a.sys", "C:\\W\\b.dll", "C:\\W\\c.hlp"});
  am.adapter.PropRaw(CM_DRP_SERVICE, REG_DWORD, {0, 0, 0, 0});
  ListResult list = FileList(am);
  EXPECT_TRUE(list.ok);
  EXPECT_EQ(list.text, "C:\\W\\a.sys\nC:\\W\\b.dll\nC:\\W\\c.hlp");
  ExpectHandlesReleasedOnce(am);
}

TEST(GetDriverFileList, SkipsAPathFoundInsideTheServicePath) {
  AdapterMachine am({"DRIVERS\\E1000.sys", "C:\\WINDOWS\\system32\\e1000msg.dll"});
  EXPECT_EQ(FileList(am).text, std::string(kImage) + "\nC:\\WINDOWS\\system32\\e1000msg.dll");
}

TEST(GetDriverFileList, SkipsAPathTooLongForTheQueueBufferAndKeepsLaterOnes) {
  // After a service path the queued files share 1024 bytes.
  const std::string too_long = "C:\\" + std::string(1020, 'x') + ".sys";
  AdapterMachine am({"C:\\W\\first.sys", too_long, "C:\\W\\later.dll"});
  EXPECT_EQ(FileList(am).text, std::string(kImage) + "\nC:\\W\\first.sys\nC:\\W\\later.dll");
}

TEST(GetDriverFileList, WithoutAServiceQueuedFilesMayFillTheWholeList) {
  const std::string long_path = "C:\\" + std::string(2000, 'y') + ".sys";
  AdapterMachine am({long_path, "C:\\W\\b.dll"});
  am.adapter.Prop(CM_DRP_SERVICE, "absent");
  EXPECT_EQ(FileList(am).text, long_path + "\nC:\\W\\b.dll");
}

TEST(GetDriverFileList, FallsBackToTheServicePathWhenTheDriverFilesCannotBeLearnt) {
  struct Case {
    const char* name;
    std::function<void(AdapterMachine&)> change;
  };
  const Case cases[] = {
      {"no InfPath", [](AdapterMachine& am) { am.m.Registry().Key(kAdapterDriverKey).Dword("InfPath", 0); }},
      {"no driver key name", [](AdapterMachine& am) { am.adapter.PropDword(CM_DRP_DRIVER, 1); }},
      {"another INF", [](AdapterMachine& am) { am.m.Registry().Key(kAdapterDriverKey).Sz("InfPath", "oem9.inf"); }},
      {"description differs", [](AdapterMachine& am) { am.driver.Description("Intel(R) PRO/100"); }},
      {"manufacturer differs", [](AdapterMachine& am) { am.driver.Manufacturer("Realtek"); }},
      {"provider differs", [](AdapterMachine& am) { am.driver.Provider("Another provider"); }},
      {"no provider in the driver key",
       [](AdapterMachine& am) { am.m.Registry().Key(kAdapterDriverKey).Dword("ProviderName", 0); }},
      {"installer refuses", [](AdapterMachine& am) { am.driver.RefusesInstallFiles(); }},
      {"the matching driver queues nothing", [](AdapterMachine& am) {
         am.driver.Description("another adapter");
         am.m.Devices().AddDriver("OEM3.INF").Description("Intel(R) PRO/1000 MT Network Connection")
             .Manufacturer("INTEL").Provider("intel");
       }},
  };
  for (const Case& c : cases) {
    AdapterMachine am({"C:\\WINDOWS\\system32\\e1000msg.dll"});
    c.change(am);
    ListResult list = FileList(am);
    EXPECT_TRUE(list.ok) << c.name;
    EXPECT_EQ(list.text, kImage) << c.name;
    ExpectHandlesReleasedOnce(am);
  }
}

TEST(GetDriverFileList, WithoutTheSetupLibraryListsTheServicePathAlone) {
  AdapterMachine am({"C:\\WINDOWS\\system32\\e1000msg.dll"}, {"SETUPAPI.DLL"});
  ListResult list = FileList(am);
  EXPECT_TRUE(list.ok);
  EXPECT_EQ(list.text, kImage);
}

TEST(GetDriverFileList, WithNeitherServiceNorFilesIsFalseAndEmpty) {
  AdapterMachine am;
  am.adapter.Prop(CM_DRP_SERVICE, "absent");
  ListResult list = FileList(am);
  EXPECT_FALSE(list.ok);
  EXPECT_EQ(list.text, "");
  ExpectHandlesReleasedOnce(am);
}

TEST(GetDriverFiles, IncludesDriversExcludedFromSelectionAndInstallsNothing) {
  AdapterMachine am({"C:\\W\\a.sys"});
  am.driver.ExcludedFromSelect();
  CCmApi api;
  char files[64];
  EXPECT_TRUE(api.GetDriverFiles(am.adapter.Handle(), files, sizeof files));
  EXPECT_STREQ(files, "C:\\W\\a.sys");
  // The install parameters were put back without the queue (DI_NOVCP still
  // set, so the platform refused that), and no queue was ever committed.
  EXPECT_EQ(am.m.Calls("SetupDiSetDeviceInstallParamsA"), 3);
  EXPECT_EQ(am.m.Calls("SetupDiCallClassInstaller"), 1);
  ExpectHandlesReleasedOnce(am);
}

TEST(GetDriverFiles, AnUnknownDeviceGivesFalseWithAnEmptyOutput) {
  AdapterMachine am({"C:\\W\\a.sys"});
  CCmApi api;
  char files[64] = "stale";
  EXPECT_FALSE(api.GetDriverFiles(0, files, sizeof files));
  EXPECT_STREQ(files, "");
  EXPECT_EQ(am.m.Handles().OpenedCount(kDeviceInfoSetHandle), 1);
  EXPECT_EQ(am.m.Handles().OpenedCount(kFileQueueHandle), 0);
  ExpectHandlesReleasedOnce(am);
}

}  // namespace
}  // namespace tov::test
