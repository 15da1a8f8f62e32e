// The device tree on generated machines of 1,000, 10,000 and 100,000 device
// nodes: enumeration, the detail pass, writing and reading the "DevMan"
// record. After the runs it prints, for each step, the ratio of the 100k time
// to the 10k time (linear work gives about 10), and the peak memory of a
// process that enumerates, writes and reads the 100k tree.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/globals.h"
#include "cfgmgr/cm_api.h"
#include "devtree/cm_dev_tree.h"
#include "platform/machine/current_machine.h"
#include "report/mem_file.h"

namespace {

using tov::machine::DeviceNode;
using tov::machine::Machine;
using tov::machine::ScopedMachine;

constexpr char kClassGuid[] = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";
constexpr int kPerBus = 100;

const char* const kCfgMgr[] = {
    "CM_Get_Version", "CM_Get_Global_State", "CM_Locate_DevNodeA", "CM_Get_Parent", "CM_Get_Sibling",
    "CM_Get_Child", "CM_Get_DevNode_Registry_PropertyA", "CM_Get_Device_IDA", "CM_Get_DevNode_Status",
    "CM_Get_First_Log_Conf", "CM_Get_Next_Log_Conf", "CM_Free_Log_Conf_Handle",
    "CM_Get_Log_Conf_Priority", "CM_Get_Next_Res_Des", "CM_Free_Res_Des_Handle",
    "CM_Get_Res_Des_Data_Size", "CM_Get_Res_Des_Data", "CM_Get_Class_Registry_PropertyA",
    "CM_Get_Class_NameA"};
const char* const kSetup[] = {"SetupDiCreateDeviceInfoList", "SetupDiOpenDeviceInfoA",
                              "SetupDiSetDeviceInstallParamsA", "SetupDiBuildDriverInfoList",
                              "SetupDiSetSelectedDriverA", "SetupOpenFileQueue",
                              "SetupDiCallClassInstaller", "SetupScanFileQueueA",
                              "SetupCloseFileQueue", "SetupDiDestroyDeviceInfoList"};

// A root with buses of kPerBus PCI devices each, nNodes nodes in all. Every
// device has its texts, a class, a driver and a service (keys shared by all)
// and one allocated configuration with an IRQ and a memory range.
std::unique_ptr<Machine> BuildMachine(int nNodes) {
  auto m = std::make_unique<Machine>();
  for (const char* name : kCfgMgr) m->Library("CFGMGR32.DLL").Export(name);
  for (const char* name : kSetup) m->Library("SETUPAPI.DLL").Export(name);
  m->Library("NEWDEV.DLL");
  m->Devices().Class(kClassGuid).Name("System").Characteristics(0x100);
  m->Devices().AddDriver("machine.inf").Description("Bench device").Manufacturer("Bench")
      .Provider("Bench").Files({"C:\\WINDOWS\\system32\\DRIVERS\\bench.sys",
                                "C:\\WINDOWS\\system32\\benchco.dll"});
  m->Registry().Key("SYSTEM\\CurrentControlSet\\Services\\bench")
      .ExpandSz("ImagePath", "system32\\DRIVERS\\bench.sys");
  m->Registry().Key(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kClassGuid + "\\0000")
      .Sz("InfPath", "machine.inf").Sz("InfSection", "Bench").Sz("ProviderName", "Bench");
  m->Registry().Key(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kClassGuid)
      .Sz("", "System devices");

  DeviceNode& root = m->Devices().Root("HTREE\\ROOT\\0");
  DeviceNode* pBus = nullptr;
  for (int i = 1, nBus = 0, nDevice = 0; i < nNodes; ++i) {
    if (pBus == nullptr || nDevice == kPerBus) {
      pBus = &root.Child("ACPI\\PNP0A03\\" + std::to_string(nBus++));
      nDevice = 0;
      continue;
    }
    std::string location = "PCI bus " + std::to_string(nBus) + ", device " +
                           std::to_string(nDevice % 32) + ", function " + std::to_string(nDevice / 32);
    DeviceNode& device = pBus->Child("PCI\\VEN_8086&DEV_1234\\" + std::to_string(nBus) + "&" +
                                     std::to_string(nDevice++));
    device.Prop(CM_DRP_DEVICEDESC, "Bench device")
        .Prop(CM_DRP_MFG, "Bench")
        .Prop(CM_DRP_LOCATION_INFORMATION, location)
        .Prop(CM_DRP_ENUMERATOR_NAME, "PCI")
        .Prop(CM_DRP_CLASSGUID, kClassGuid)
        .Prop(CM_DRP_DRIVER, std::string(kClassGuid) + "\\0000")
        .Prop(CM_DRP_SERVICE, "bench");
    device.LogConf(ALLOC_LOG_CONF)
        .Res(ResType_IRQ, {0, 0, 0, 0, 11, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})
        .Res(ResType_Mem, std::vector<uint8_t>(40, 0xA5));
  }
  return m;
}

// One machine per size, built once for all the runs of that size.
Machine& MachineOf(int nNodes) {
  static std::map<int, std::unique_ptr<Machine>> machines;
  auto& m = machines[nNodes];
  if (!m) m = BuildMachine(nNodes);
  return *m;
}

// The machine installed with a binding over it, as the program has them.
struct Installed {
  explicit Installed(int nNodes) : use(MachineOf(nNodes)) { g_pCmApi = &api; }
  ~Installed() { g_pCmApi = nullptr; }
  ScopedMachine use;
  CCmApi api;
};

void Store(CCmDevTree& tree, CMemFile& file) {
  CArchive ar(&file, CArchive::store);
  tree.Serialize(ar);
  ar.Close();
}

std::vector<BYTE> Store(CCmDevTree& tree) {
  CMemFile file;
  Store(tree, file);
  return file.Data();
}

void Load(const std::vector<BYTE>& bytes, CCmDevTree& tree) {
  CMemFile file(bytes);
  CArchive ar(&file, CArchive::load);
  tree.Serialize(ar);
}

void BM_Enumerate(benchmark::State& state) {
  Installed installed(static_cast<int>(state.range(0)));
  CCmDevTree tree;
  for (auto _ : state) tree.Enumerate();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DetailPass(benchmark::State& state) {
  Installed installed(static_cast<int>(state.range(0)));
  CCmDevTree tree;
  for (auto _ : state) {
    state.PauseTiming();
    tree.Enumerate();  // every device needs its details again
    state.ResumeTiming();
    tree.StartDetailPass(FALSE);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Serialize(benchmark::State& state) {
  Installed installed(static_cast<int>(state.range(0)));
  CCmDevTree tree;
  tree.Enumerate();
  size_t nBytes = 0;
  for (auto _ : state) {
    CMemFile file;
    Store(tree, file);
    nBytes = file.Data().size();
  }
  state.counters["bytes"] = static_cast<double>(nBytes);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Load(benchmark::State& state) {
  Installed installed(static_cast<int>(state.range(0)));
  std::vector<BYTE> bytes;
  {
    CCmDevTree tree;
    tree.Enumerate();
    bytes = Store(tree);
  }
  for (auto _ : state) {
    CCmDevTree tree;
    Load(bytes, tree);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Three repetitions each: the ratios use the medians, which a busy machine
// disturbs less than single runs.
#define TOV_SIZES(bm)                                                                          \
  BENCHMARK(bm)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(1.0) \
      ->Repetitions(3)->ReportAggregatesOnly(true)
TOV_SIZES(BM_Enumerate);
TOV_SIZES(BM_DetailPass);
TOV_SIZES(BM_Serialize);
TOV_SIZES(BM_Load);

// Shows the console output and keeps each run's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name == "median") {
        m_times[run.run_name.function_name + "/" + run.run_name.args] = {run.GetAdjustedRealTime(),
                                                                         run.GetAdjustedCPUTime()};
      }
    }
  }
  // On a shared machine the wall-clock ratio carries the other processes'
  // load; the CPU-time ratio is this process's own work.
  void PrintRatios() const {
    std::printf("\nratio of the median 100k time to the median 10k time (linear: about 10, target: at most 12)\n");
    std::printf("  %-14s %8s %8s\n", "", "real", "cpu");
    for (const char* name : {"BM_Enumerate", "BM_DetailPass", "BM_Serialize", "BM_Load"}) {
      auto big = m_times.find(std::string(name) + "/100000");
      auto small = m_times.find(std::string(name) + "/10000");
      if (big == m_times.end() || small == m_times.end()) continue;
      std::printf("  %-14s %8.2f %8.2f\n", name, big->second.first / small->second.first,
                  big->second.second / small->second.second);
    }
  }

 private:
  std::map<std::string, std::pair<double, double>> m_times;
};

// Peak memory (maximum resident set) of a child process that builds the 100k
// machine, enumerates it, writes the record and reads it back.
void PrintPeakMemory() {
  pid_t pid = fork();
  if (pid == 0) {
    rusage usage{};
    Installed installed(100000);
    getrusage(RUSAGE_SELF, &usage);
    long nMachineKb = usage.ru_maxrss;
    {
      auto pTree = std::make_unique<CCmDevTree>();
      pTree->Enumerate();
      std::vector<BYTE> bytes = Store(*pTree);
      pTree.reset();
      CCmDevTree loaded;
      Load(bytes, loaded);
      std::printf("  record of 100k devices: %zu bytes\n", bytes.size());
    }
    std::printf("  machine model of 100k devices alone: %ld MiB\n", nMachineKb / 1024);
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    std::printf("  peak of enumerate + write + read of 100k devices, machine model included: %ld MiB (target: below 1024)\n",
                usage.ru_maxrss / 1024);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("peak memory\n");
  std::fflush(stdout);
  PrintPeakMemory();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
