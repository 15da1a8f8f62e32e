// Archive throughput: storing and loading a chain of service-like records
// (twenty short strings, a few 32-bit values, a 28-byte block, a link to the
// next) through a memory file, against memcpy of the same bytes.
#include <benchmark/benchmark.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "report/archive.h"
#include "report/mem_file.h"

namespace {

constexpr int kRecords = 20000;
constexpr int kStrings = 20;

class BenchRecord : public CObject {
  DECLARE_SERIAL(BenchRecord)
 public:
  ~BenchRecord() override {
    // Iteratively: the chain is long.
    BenchRecord* p = m_pNext;
    m_pNext = nullptr;
    while (p != nullptr) {
      BenchRecord* pNext = p->m_pNext;
      p->m_pNext = nullptr;
      delete p;
      p = pNext;
    }
  }

  void Serialize(CArchive& ar) override {
    ar.MapObject(this);
    ar.GetObjectSchema();
    if (ar.IsStoring()) {
      for (const std::string& str : m_astr) ar << str;
      for (DWORD dw : m_adw) ar << dw;
      ar.Write(m_status, sizeof m_status);
      ar.WriteTailObject(m_pNext);
    } else {
      for (std::string& str : m_astr) ar >> str;
      for (DWORD& dw : m_adw) ar >> dw;
      ar.Read(m_status, sizeof m_status);
      ar.ReadTailObject(m_pNext);
    }
  }

  std::string m_astr[kStrings];
  DWORD m_adw[4] = {};
  BYTE m_status[28] = {};
  BenchRecord* m_pNext = nullptr;
};

IMPLEMENT_SERIAL(BenchRecord, CObject, VERSIONABLE_SCHEMA | 1)

// Names, paths and descriptions of typical lengths, mostly short.
std::unique_ptr<BenchRecord> MakeChain() {
  static const char* const kTexts[] = {"Tcpip", "System32\\drivers\\tcpip.sys", "NDIS", "",
                                       "LocalSystem", "Network Store Interface Service",
                                       "svchost.exe -k LocalService", "PNP_TDI", "6.1.7601"};
  auto pFirst = std::make_unique<BenchRecord>();
  BenchRecord* p = pFirst.get();
  for (int k = 0; k < kRecords; ++k) {
    for (int s = 0; s < kStrings; ++s) {
      p->m_astr[s] = kTexts[(k + s) % 9];
      if (s == 0) p->m_astr[s] += std::to_string(k);
    }
    for (DWORD& dw : p->m_adw) dw = static_cast<DWORD>(k * 7 + 1);
    std::memset(p->m_status, k & 0xFF, sizeof p->m_status);
    if (k + 1 < kRecords) p = p->m_pNext = new BenchRecord;
  }
  return pFirst;
}

const BenchRecord& Chain() {
  static const std::unique_ptr<BenchRecord> chain = MakeChain();
  return *chain;
}

void StoreChain(CMemFile& file) {
  CArchive ar(&file, CArchive::store);
  ar << &Chain();
  ar.Close();
}

const std::vector<BYTE>& Stored() {
  static const std::vector<BYTE> bytes = [] {
    CMemFile file;
    StoreChain(file);
    return file.Data();
  }();
  return bytes;
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<BYTE>& src = Stored();
  std::vector<BYTE> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.size()));
}

void BM_Store(benchmark::State& state) {
  CMemFile file;
  StoreChain(file);  // the file keeps its size, so iterations do not measure its growth
  for (auto _ : state) {
    file.SeekToBegin();
    StoreChain(file);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Stored().size()));
}

void BM_Load(benchmark::State& state) {
  CMemFile file(Stored());
  for (auto _ : state) {
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    std::unique_ptr<CObject> pChain(ar.ReadObject(RUNTIME_CLASS(BenchRecord)));
    state.PauseTiming();
    pChain.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Stored().size()));
}

// The floor under loading: creating the same objects with the same texts,
// copied from memory instead of read from an archive.
void BM_CopyObjects(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<BenchRecord> pFirst;
    BenchRecord** ppLink = nullptr;
    for (const BenchRecord* p = &Chain(); p != nullptr; p = p->m_pNext) {
      auto* pCopy = new BenchRecord;
      for (int s = 0; s < kStrings; ++s) pCopy->m_astr[s] = p->m_astr[s];
      std::memcpy(pCopy->m_adw, p->m_adw, sizeof p->m_adw);
      std::memcpy(pCopy->m_status, p->m_status, sizeof p->m_status);
      if (ppLink == nullptr) {
        pFirst.reset(pCopy);
      } else {
        *ppLink = pCopy;
      }
      ppLink = &pCopy->m_pNext;
    }
    state.PauseTiming();
    pFirst.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Stored().size()));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyObjects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Store)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// The console report, then each archive figure as a share of memcpy's speed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // CPU time: the machines this runs on are often shared.
      if (!run.error_occurred) m_msPerPass[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    double memcpyTime = m_msPerPass["BM_Memcpy"];
    double mb = static_cast<double>(Stored().size()) / 1e6;
    std::printf("\n%d records, %.1f MB per pass; CPU time\n", kRecords, mb);
    for (const char* name : {"BM_Memcpy", "BM_CopyObjects", "BM_Store", "BM_Load"}) {
      double time = m_msPerPass[name];
      if (time <= 0) continue;
      std::printf("%-12s %9.1f MB/s  %.3f of memcpy\n", name + 3, mb / (time / 1e3),
                  memcpyTime / time);
    }
  }

 private:
  std::map<std::string, double> m_msPerPass;
};

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Keep freed memory mapped: otherwise every loaded chain pays for faulting
  // its pages in anew, and the figure measures the kernel, not the archive.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
