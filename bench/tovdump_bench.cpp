// tovdump's figures: a report of a generated 100,000-device machine read and
// printed as JSON (throughput and peak memory, against the bound of 16 times
// the file size plus 64 MiB), timed beside `python3 -m json.tool` reformatting
// the same JSON; and the peak memory of a hostile report made of the
// smallest possible events. Each step runs in a child process of its own so
// that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "hostile_files.h"
#include "sample_report.h"
#include "tools/tovdump/tovdump_cli.h"

namespace {

using Clock = std::chrono::steady_clock;

struct ChildRun {
  double seconds;
  long peakKiB;
  int status;
};

ChildRun InChild(const std::function<int()>& work) {
  const auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) _exit(work());
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {std::chrono::duration<double>(Clock::now() - start).count(), usage.ru_maxrss,
          WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

long long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long long>(in.tellg());
}

int Dump(const std::string& report, const std::string& json) {
  std::ofstream out(json, std::ios::binary | std::ios::trunc);
  std::ofstream err("/dev/null");
  return tovdump::RunTovdump({report}, out, err);
}

void PrintRead(const char* what, const std::string& report, const ChildRun& run) {
  const double mib = FileSize(report) / 1048576.0;
  const double boundMiB = 16 * mib + 64;
  std::printf("%s: file %.1f MiB, read+JSON %.2f s = %.1f MB/s of file, peak %.1f MiB (bound %.1f MiB, %s), exit %d\n",
              what, mib, run.seconds, FileSize(report) / 1e6 / run.seconds, run.peakKiB / 1024.0, boundMiB,
              run.peakKiB / 1024.0 <= boundMiB ? "within" : "OVER", run.status);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t nDevices = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const std::string report = "tovdump_bench.tov", json = "tovdump_bench.json";

  ChildRun made = InChild([&] {
    auto r = tovdump::test::MakeSampleReport(nDevices);
    return tovdump::test::WriteCompoundFile(report, tovdump::test::StoreReport(*r)) ? 0 : 1;
  });
  if (made.status != 0) {
    std::fprintf(stderr, "tovdump_bench: cannot write %s\n", report.c_str());
    return 1;
  }
  std::printf("%zu devices written in %.2f s\n", nDevices, made.seconds);

  ChildRun dump = InChild([&] { return Dump(report, json); });
  PrintRead("report", report, dump);
  const double jsonMB = FileSize(json) / 1e6;
  std::printf("JSON %.1f MB printed at %.1f MB/s\n", jsonMB, jsonMB / dump.seconds);

  ChildRun python = InChild([&] {
    const std::string command = "python3 -m json.tool " + json + " > /dev/null";
    return std::system(command.c_str()) == 0 ? 0 : 1;
  });
  std::printf("python3 -m json.tool on the same JSON: %.2f s (%.1f MB/s), exit %d; tovdump is %.1fx as fast\n",
              python.seconds, jsonMB / python.seconds, python.status, python.seconds / dump.seconds);

  // The smallest events cost the most memory per byte of file.
  const std::string hostile = "tovdump_bench_events.tov";
  InChild([&] {
    auto r = tovdump::test::MakeSampleReport();
    auto streams = tovdump::test::StoreReport(*r);
    streams[2].second = tovdump::test::EventChainStream(2000000);
    return tovdump::test::WriteCompoundFile(hostile, streams) ? 0 : 1;
  });
  ChildRun events = InChild([&] { return Dump(hostile, "tovdump_bench_events.json"); });
  PrintRead("2,000,000 minimal events", hostile, events);
  return 0;
}
