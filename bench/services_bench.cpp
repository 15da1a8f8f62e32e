// The service inventory: collecting from a machine of many services (each
// with its registry key, configuration and an image file with a version
// resource), and storing and loading the inventory's record.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"
#include "platform/machine/version_resource.h"
#include "report/archive.h"
#include "report/mem_file.h"
#include "services/scm_service_man.h"

namespace {

using tov::machine::Machine;
using tov::machine::ScopedMachine;
using tov::machine::VersionResource;

// A machine like a busy workstation scaled up: half drivers, half services
// in a shared process, every image file with a version resource.
void FillMachine(Machine& m, int services) {
  m.Env("SystemRoot", "C:\\WINDOWS");
  std::vector<uint8_t> block = VersionResource()
                                   .FileVersion(5, 1, 2600, 5512)
                                   .Translation(0x0409, 0x04B0)
                                   .String("040904b0", "CompanyName", "Example Corporation")
                                   .String("040904b0", "FileDescription", "Example component")
                                   .String("040904b0", "FileVersion", "5.1.2600.5512")
                                   .String("040904b0", "ProductVersion", "5.1.2600.5512")
                                   .Build();
  for (int i = 0; i < services; ++i) {
    std::string name = "Service" + std::to_string(i);
    if (i % 2 == 0) {
      m.AddService(name).KernelDriver().StartType(SERVICE_DEMAND_START)
          .ImagePath("system32\\DRIVERS\\" + name + ".sys").Running();
      m.File("C:\\WINDOWS\\system32\\DRIVERS\\" + name + ".sys").VersionBlock(block);
    } else {
      m.AddService(name).DisplayName("The service number " + std::to_string(i)).ShareProcess()
          .ImagePath("%SystemRoot%\\system32\\svchost.exe -k netsvcs")
          .ServiceDll("%SystemRoot%\\System32\\" + name + ".dll")
          .Description("Does the work of service " + std::to_string(i))
          .Dependencies({"RpcSs", "+NetworkProvider"});
      m.File("C:\\WINDOWS\\System32\\" + name + ".dll").VersionBlock(block);
    }
  }
}

void BM_Collect(benchmark::State& state) {
  Machine m;
  FillMachine(m, static_cast<int>(state.range(0)));
  ScopedMachine use(m);
  for (auto _ : state) {
    CSCMServiceMan man;
    man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
    benchmark::DoNotOptimize(man.m_nCount);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Collect)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

std::vector<BYTE> Stored(CSCMServiceMan& man) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  man.Serialize(ar);
  ar.Close();
  return file.Data();
}

void BM_StoreAndLoad(benchmark::State& state) {
  Machine m;
  FillMachine(m, static_cast<int>(state.range(0)));
  CSCMServiceMan man;
  {
    ScopedMachine use(m);
    man.Collect(std::make_unique<BYTE[]>(CSCMServiceMan::kEnumBufferSize));
  }
  size_t bytes = 0;
  for (auto _ : state) {
    std::vector<BYTE> data = Stored(man);
    bytes = data.size();
    CMemFile file(std::move(data));
    CArchive ar(&file, CArchive::load);
    CSCMServiceMan loaded;
    loaded.Serialize(ar);
    benchmark::DoNotOptimize(loaded.m_pLast);
  }
  state.counters["record_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_StoreAndLoad)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
