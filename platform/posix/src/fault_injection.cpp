#include "platform/posix/src/fault_injection.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "win32_api.h"

namespace tov::posix {

namespace {

enum class Mode { kNone, kOperation, kAllocation, kCount };

std::atomic<Mode> g_mode{Mode::kNone};
FaultPlan g_plan;                  // written only while no other thread runs
std::atomic<long long> g_calls{0};  // calls of the planned operation, or allocations
std::atomic<long long> g_fired{0};

std::mutex g_count_mutex;
std::map<std::string, long long, std::less<>>* g_counts = nullptr;  // kept for the exit report

// What a failing call reports, as its platform namesake does when it fails
// for a reason the caller cannot foresee (no memory, access refused, a
// handle that went stale). 0: the operation cannot fail on the platform.
// Operations not listed report ERROR_ACCESS_DENIED; the configuration
// manager's operations return CR_FAILURE whatever this says.
struct FailureCode {
  const char* operation;
  DWORD code;
};
constexpr FailureCode kFailureCodes[] = {
    {"GetACP", 0},
    {"GetSystemInfo", 0},
    {"GetVersion", 0},
    {"RegQueryValueExA", ERROR_FILE_NOT_FOUND},
    {"RegCloseKey", ERROR_INVALID_HANDLE},
    {"CloseServiceHandle", ERROR_INVALID_HANDLE},
    {"CloseEventLog", ERROR_INVALID_HANDLE},
    {"CloseHandle", ERROR_INVALID_HANDLE},
    {"FreeLibrary", ERROR_INVALID_HANDLE},
    {"SetEvent", ERROR_INVALID_HANDLE},
    {"ResetEvent", ERROR_INVALID_HANDLE},
    {"WaitForSingleObject", ERROR_INVALID_HANDLE},
    {"ResumeThread", ERROR_INVALID_HANDLE},
    {"SetThreadPriority", ERROR_INVALID_HANDLE},
    {"GetExitCodeThread", ERROR_INVALID_HANDLE},
    {"SetupCloseFileQueue", ERROR_INVALID_HANDLE},
    {"SetupDiDestroyDeviceInfoList", ERROR_INVALID_HANDLE},
    {"CreateEventA", ERROR_NOT_ENOUGH_MEMORY},
    {"CreateThread", ERROR_NOT_ENOUGH_MEMORY},
    {"_beginthreadex", ERROR_NOT_ENOUGH_MEMORY},
    {"InitializeCriticalSectionAndSpinCount", ERROR_NOT_ENOUGH_MEMORY},
    {"DialogBoxParamA", ERROR_NOT_ENOUGH_MEMORY},
    {"SetupDiCreateDeviceInfoList", ERROR_NOT_ENOUGH_MEMORY},
    {"SetupOpenFileQueue", ERROR_NOT_ENOUGH_MEMORY},
    {"ExpandEnvironmentStringsA", ERROR_NOT_ENOUGH_MEMORY},
    {"MultiByteToWideChar", ERROR_INVALID_PARAMETER},
    {"LoadLibraryA", ERROR_MOD_NOT_FOUND},
    {"LoadLibraryExA", ERROR_MOD_NOT_FOUND},
    {"GetProcAddress", ERROR_PROC_NOT_FOUND},
    {"GetFileAttributesA", ERROR_FILE_NOT_FOUND},
    {"GetFileVersionInfoSizeA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"GetFileVersionInfoA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"VerQueryValueA", ERROR_RESOURCE_TYPE_NOT_FOUND},
    {"FormatMessageA", ERROR_MR_MID_NOT_FOUND},
    {"LookupAccountSidA", ERROR_NONE_MAPPED},
    {"StgCreateStorageEx", static_cast<DWORD>(STG_E_ACCESSDENIED)},
    {"IStorage::CreateStream", static_cast<DWORD>(STG_E_MEDIUMFULL)},
    {"IStream::Write", static_cast<DWORD>(STG_E_MEDIUMFULL)},
};

DWORD FailureCodeOf(std::string_view operation) {
  for (const FailureCode& f : kFailureCodes) {
    if (operation == f.operation) return f.code;
  }
  return ERROR_ACCESS_DENIED;
}

// Said once per process on standard error, without allocating: the walk that
// drives the program learns from it that the fault was met.
void TellFired(const char* what, long long call) {
  if (g_fired.fetch_add(1) != 0) return;
  char line[160];
  int n = std::snprintf(line, sizeof line, "tov: injected fault: %s fails at call %lld%s\n", what,
                        call, g_plan.onward ? " and after" : "");
  if (n > 0) {
    ssize_t ignored = write(STDERR_FILENO, line, static_cast<size_t>(n) < sizeof line ? n : sizeof line - 1);
    (void)ignored;
  }
}

void PrintCounts() {
  std::lock_guard<std::mutex> lock(g_count_mutex);
  if (g_counts == nullptr) return;
  for (const auto& [operation, calls] : *g_counts) {
    std::fprintf(stderr, "tov: calls: %s %lld\n", operation.c_str(), calls);
  }
  std::fprintf(stderr, "tov: calls: alloc %lld\n", g_calls.load());
}

}  // namespace

bool ParseFaultPlan(std::string_view text, FaultPlan* plan, std::string* error) {
  if (text == "count") {
    *plan = FaultPlan{"count", 0, false};
    return true;
  }
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) {
    *error = "expected <operation>:<N>, <operation>:<N>+, alloc:<N> or count";
    return false;
  }
  std::string_view number = text.substr(colon + 1);
  bool onward = !number.empty() && number.back() == '+';
  if (onward) number.remove_suffix(1);
  long long nth = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), nth);
  if (ec != std::errc() || end != number.data() + number.size() || nth < 1) {
    *error = "the call number must be a whole number from 1";
    return false;
  }
  std::string_view operation = text.substr(0, colon);
  if (operation == "alloc" && onward) {
    *error = "only one allocation can be made to fail";
    return false;
  }
  *plan = FaultPlan{std::string(operation), nth, onward};
  return true;
}

void InstallFaultPlan(const FaultPlan& plan) {
  g_mode = Mode::kNone;
  g_plan = plan;
  g_calls = 0;
  g_fired = 0;
  if (plan.operation == "count") {
    std::lock_guard<std::mutex> lock(g_count_mutex);
    if (g_counts == nullptr) g_counts = new std::map<std::string, long long, std::less<>>();
    g_counts->clear();
    g_mode = Mode::kCount;
  } else {
    g_mode = plan.operation == "alloc" ? Mode::kAllocation : Mode::kOperation;
  }
}

void ClearFaultPlan() {
  g_mode = Mode::kNone;
  g_calls = 0;
  g_fired = 0;
}

bool InstallFaultPlanFromEnvironment(std::string* error) {
  const char* text = std::getenv("TOV_FAULT");
  if (text == nullptr || *text == '\0') return true;
  FaultPlan plan;
  if (!ParseFaultPlan(text, &plan, error)) {
    *error = "TOV_FAULT=" + std::string(text) + ": " + *error;
    return false;
  }
  InstallFaultPlan(plan);
  if (plan.operation == "count") std::atexit(PrintCounts);
  return true;
}

bool FaultFires(const char* operation, DWORD* code) {
  Mode mode = g_mode.load(std::memory_order_relaxed);
  if (mode == Mode::kCount) {
    std::lock_guard<std::mutex> lock(g_count_mutex);
    auto it = g_counts->find(operation);
    if (it == g_counts->end()) it = g_counts->emplace(operation, 0).first;
    ++it->second;
    return false;
  }
  if (mode != Mode::kOperation || g_plan.operation != operation) return false;
  DWORD failure = FailureCodeOf(operation);
  if (failure == 0) return false;
  long long call = g_calls.fetch_add(1) + 1;
  if (call < g_plan.nth || (call > g_plan.nth && !g_plan.onward)) return false;
  TellFired(operation, g_plan.nth);
  SetLastError(failure);
  if (code != nullptr) *code = failure;
  return true;
}

bool AllocationFaultFires() {
  Mode mode = g_mode.load(std::memory_order_relaxed);
  if (mode == Mode::kCount) {
    g_calls.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  if (mode != Mode::kAllocation) return false;
  if (g_calls.fetch_add(1) + 1 != g_plan.nth) return false;
  TellFired("alloc", g_plan.nth);
  return true;
}

long long FaultsFired() { return g_fired.load(); }

}  // namespace tov::posix
