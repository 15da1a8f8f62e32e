// Configuration Manager access: what a bound call costs over the platform
// operation itself, a whole device walk of a large machine, the per-device
// readers, and a driver file list whose merge compares every path with the
// list built so far.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cfgmgr/cm_api.h"
#include "cfgmgr/driver_file_list.h"
#include "platform/machine/current_machine.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

const char* const kCfgMgr[] = {"CM_Get_Version", "CM_Locate_DevNodeA", "CM_Get_Parent",
                               "CM_Get_Sibling", "CM_Get_Child", "CM_Get_Device_IDA",
                               "CM_Get_DevNode_Registry_PropertyA", "CM_Get_DevNode_Status"};
const char* const kSetup[] = {"SetupDiCreateDeviceInfoList", "SetupDiOpenDeviceInfoA",
                              "SetupDiSetDeviceInstallParamsA", "SetupDiBuildDriverInfoList",
                              "SetupDiSetSelectedDriverA", "SetupOpenFileQueue",
                              "SetupDiCallClassInstaller", "SetupScanFileQueueA",
                              "SetupCloseFileQueue", "SetupDiDestroyDeviceInfoList"};

// A machine with `buses` buses of `per_bus` devices each, every device with
// its description, driver key and service, and one driver package queueing
// `files` files.
void Build(Machine& m, int buses, int per_bus, int files) {
  for (const char* name : kCfgMgr) m.Library("CFGMGR32.DLL").Export(name);
  for (const char* name : kSetup) m.Library("SETUPAPI.DLL").Export(name);
  m.Library("NEWDEV.DLL");
  DeviceNode& root = m.Devices().Root("HTREE\\ROOT\\0");
  auto& driver = m.Devices().AddDriver("oem1.inf").Description("Bench device").Manufacturer("Bench")
                     .Provider("Bench");
  for (int f = 0; f < files; ++f) {
    driver.File("C:\\WINDOWS\\system32\\DRIVERS\\bench" + std::to_string(f) + ".sys");
  }
  m.Registry().Key("SYSTEM\\CurrentControlSet\\Services\\bench").ExpandSz(
      "ImagePath", "system32\\DRIVERS\\bench0.sys");
  m.Registry().Key("System\\CurrentControlSet\\Control\\Class\\{B}\\0000")
      .Sz("InfPath", "oem1.inf").Sz("ProviderName", "Bench");
  for (int b = 0; b < buses; ++b) {
    DeviceNode& bus = root.Child("ACPI\\PNP0A03\\" + std::to_string(b));
    for (int d = 0; d < per_bus; ++d) {
      bus.Child("PCI\\VEN_8086&DEV_" + std::to_string(d) + "\\" + std::to_string(b))
          .Prop(CM_DRP_DEVICEDESC, "Bench device")
          .Prop(CM_DRP_MFG, "Bench")
          .Prop(CM_DRP_DRIVER, "{B}\\0000")
          .Prop(CM_DRP_SERVICE, "bench");
    }
  }
}

void BM_BoundCall(benchmark::State& state) {
  Machine m;
  Build(m, 1, 1, 0);
  ScopedMachine use(m);
  CCmApi api;
  for (auto _ : state) benchmark::DoNotOptimize(api.CM_Get_Version());
}
BENCHMARK(BM_BoundCall);

void BM_DirectCall(benchmark::State& state) {
  Machine m;
  Build(m, 1, 1, 0);
  ScopedMachine use(m);
  for (auto _ : state) benchmark::DoNotOptimize(CM_Get_Version());
}
BENCHMARK(BM_DirectCall);

// The pre-order walk over every node, as the device count and enumeration do.
void BM_WalkAllNodes(benchmark::State& state) {
  Machine m;
  Build(m, 50, static_cast<int>(state.range(0)) / 50, 0);
  ScopedMachine use(m);
  CCmApi api;
  int64_t nodes = 0;
  for (auto _ : state) {
    CmCursor cursor;
    DEVINST root = api.FirstDevNode(cursor);
    for (DEVINST dn = root; dn != 0; dn = api.NextDevNode(dn, root, TRUE)) ++nodes;
  }
  state.SetItemsProcessed(nodes);
}
BENCHMARK(BM_WalkAllNodes)->Arg(1000)->Arg(10000);

// The readers of one device that the collection calls for each node.
void BM_ReadDevice(benchmark::State& state) {
  Machine m;
  Build(m, 1, 1, 0);
  ScopedMachine use(m);
  CCmApi api;
  DEVINST dn = m.Devices().FindById("PCI\\VEN_8086&DEV_0\\0")->Handle();
  for (auto _ : state) {
    std::string id;
    PathBuffer text, path;
    ULONG problem = 0;
    api.GetDeviceId(dn, id);
    api.GetDevNodeString(dn, CM_DRP_DEVICEDESC, text);
    api.GetDevNodeStatus(dn, &problem);
    api.GetServiceImagePath(dn, path, MAX_PATH);
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_ReadDevice);

// A whole driver file list: set, driver list, queue, scan, merge.
void BM_DriverFileList(benchmark::State& state) {
  Machine m;
  Build(m, 1, 1, static_cast<int>(state.range(0)));
  ScopedMachine use(m);
  CCmApi api;
  DEVINST dn = m.Devices().FindById("PCI\\VEN_8086&DEV_0\\0")->Handle();
  std::vector<char> list(kDriverFileListSize);
  for (auto _ : state) {
    api.GetDriverFileList(dn, list.data());
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_DriverFileList)->Arg(3)->Arg(20);

// The merge alone at its largest: a full 5120-byte list of short paths,
// every one compared with the whole list built so far.
void BM_MergeFullList(benchmark::State& state) {
  std::string files;
  for (int f = 0; files.size() < 1000; ++f) files += "C:\\d\\f" + std::to_string(f) + ".sys\n";
  std::vector<char> list(kDriverFileListSize);
  for (auto _ : state) {
    std::string start = "C:\\WINDOWS\\system32\\DRIVERS\\svc.sys";
    std::copy(start.c_str(), start.c_str() + start.size() + 1, list.begin());
    MergeDriverFiles(list.data(), list.size(), files.c_str());
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_MergeFullList);

}  // namespace

BENCHMARK_MAIN();
