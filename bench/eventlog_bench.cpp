// Capture of the three report logs, 200 events each, with every description,
// category and parameter rendered from message files over a machine model.
// Prints the time of one capture of all three logs and the message-file loads
// per event (nothing is cached, so each event loads its files anew).
#include <benchmark/benchmark.h>

#include <string>

#include "eventlog/el_event_log.h"
#include "platform/machine/current_machine.h"

namespace {

using tov::machine::Machine;

constexpr int64_t kNow = 1'700'000'000;
constexpr int kRecordsPerLog = 300;  // more than a capture keeps
const char* const kLogs[] = {"System", "Norvan", "Security"};

// Three sources per log; each lists two message files with its descriptions
// in the second, a category file and a parameter file. Every third event
// refers to a parameter text; every event has a category and a user.
void BuildMachine(Machine& m) {
  m.Now(kNow).Env("SystemRoot", "C:\\WINDOWS");
  m.Account("S-1-5-18", "NT AUTHORITY", "SYSTEM");
  m.File("C:\\WINDOWS\\System32\\common.dll").Message(1, "unrelated\r\n");
  m.File("C:\\WINDOWS\\System32\\events.dll")
      .Message(7036, "The %1 service entered the %2 state.\r\n")
      .Message(7040, "The start type of the %1 service was changed from %2 to %3.\r\n");
  m.File("C:\\WINDOWS\\System32\\categories.dll").Message(1, "Service\r\n");
  m.File("C:\\WINDOWS\\System32\\parameters.dll").Message(1234, "auto start\r\n");
  for (const char* log : kLogs) {
    for (int s = 0; s < 3; ++s) {
      const std::string key = std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\") + log +
                              "\\Source" + std::to_string(s);
      m.Registry()
          .Key(key)
          .ExpandSz("EventMessageFile",
                    "%SystemRoot%\\System32\\common.dll;%SystemRoot%\\System32\\events.dll")
          .ExpandSz("CategoryMessageFile", "%SystemRoot%\\System32\\categories.dll")
          .ExpandSz("ParameterMessageFile", "%SystemRoot%\\System32\\parameters.dll");
    }
    for (int i = kRecordsPerLog; i >= 1; --i) {
      const bool parameter = i % 3 == 0;
      m.AddEvent(log, parameter ? 7040 : 7036)
          .Source("Source" + std::to_string(i % 3))
          .At(kNow - 60 * i)
          .Category(1)
          .User("S-1-5-18")
          .Strings(parameter ? std::vector<std::string>{"Print Spooler", "demand start", "%%1234"}
                             : std::vector<std::string>{"Print Spooler", "running"});
    }
  }
}

void BM_CaptureThreeLogs(benchmark::State& state) {
  Machine m;
  BuildMachine(m);
  tov::machine::ScopedMachine use(m);
  int64_t events = 0;
  const int loads_before = m.Calls("LoadLibraryExA");
  for (auto _ : state) {
    for (const char* name : kLogs) {
      CElEventLog log;
      log.m_strLogName = name;
      log.Collect(CTimeSpan(864000));
      events += log.m_nCount;
      benchmark::DoNotOptimize(log.m_pFirst);
    }
  }
  const double loads = m.Calls("LoadLibraryExA") - loads_before;
  state.counters["events"] = benchmark::Counter(static_cast<double>(events) / state.iterations());
  state.counters["file_loads_per_event"] = benchmark::Counter(loads / static_cast<double>(events));
  state.counters["time_per_event"] = benchmark::Counter(
      static_cast<double>(events), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CaptureThreeLogs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
