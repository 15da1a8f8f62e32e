// Injected faults: a chosen platform operation fails at its N-th call (or at
// every call from the N-th on), or the N-th memory allocation fails, so that
// tests can show the program copes with each failure it may meet. Nothing
// fails unless a plan is installed; the program installs one from TOV_FAULT.
#pragma once

#include <string>
#include <string_view>

#include "win32/base_types.h"

namespace tov::posix {

/// Which calls fail. `operation` is a platform operation's name
/// ("RegQueryValueExA", "IStream::Write") or "alloc" for memory allocation;
/// "count" fails nothing and counts every call instead.
struct FaultPlan {
  std::string operation;
  long long nth = 0;    // the first call that fails, from 1
  bool onward = false;  // every later call fails too (never for "alloc")
};

/// Reads "<operation>:<N>", "<operation>:<N>+", "alloc:<N>" or "count".
bool ParseFaultPlan(std::string_view text, FaultPlan* plan, std::string* error);

/// Makes `plan` the one in force, with every count starting at 0.
void InstallFaultPlan(const FaultPlan& plan);
/// No faults and no counting any more.
void ClearFaultPlan();

/// Installs the plan that TOV_FAULT names, if it names one. With "count" the
/// calls of every operation and the allocations are printed on standard
/// error when the process ends. False, with the reason, for a text that is
/// not a plan.
bool InstallFaultPlanFromEnvironment(std::string* error);

/// Called by each platform operation that can fail: true when this call is
/// to fail, with the last error set to the code the operation reports for
/// such a failure, which is also stored in *code when given (an HRESULT for
/// the storage operations, a Win32 error code for the others). Operations
/// that cannot fail on the platform never do.
bool FaultFires(const char* operation, DWORD* code = nullptr);

/// Called by the program's allocation functions: true when this allocation
/// is to fail.
bool AllocationFaultFires();

/// How often the installed plan's fault has fired.
long long FaultsFired();

}  // namespace tov::posix
