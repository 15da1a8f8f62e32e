// Documented behaviour of threads: start, suspension, exit code, stack size,
// and waiting for a thread's end.
#include "tests/platform/contract_data.h"

namespace tov::test {
namespace {

class ThreadContract : public ContractTest {};

DWORD WINAPI WaitForEventThenReturn(LPVOID arg) {
  return WaitForSingleObject(static_cast<HANDLE>(arg), 10000) == WAIT_OBJECT_0 ? 42 : 1;
}

TEST_F(ThreadContract, ThreadHandleIsSignalledWhenTheRoutineReturns) {
  ScopedHandle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  DWORD id = 0;
  ScopedHandle t(CreateThread(nullptr, 0, WaitForEventThenReturn, go.get(), 0, &id));
  ASSERT_TRUE(t);
  EXPECT_NE(id, 0u);
  EXPECT_TRUE(SetThreadPriority(t.get(), THREAD_PRIORITY_BELOW_NORMAL));

  DWORD code = 0;
  EXPECT_EQ(WaitForSingleObject(t.get(), 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(GetExitCodeThread(t.get(), &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

  SetEvent(go.get());
  EXPECT_EQ(WaitForSingleObject(t.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(t.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "stays signalled";
  EXPECT_TRUE(GetExitCodeThread(t.get(), &code));
  EXPECT_EQ(code, 42u);
}

DWORD WINAPI MarkRun(LPVOID arg) {
  InterlockedExchange(static_cast<volatile LONG*>(arg), 1);
  return 0;
}

TEST_F(ThreadContract, SuspendedThreadRunsOnlyAfterResume) {
  volatile LONG ran = 0;
  ScopedHandle t(CreateThread(nullptr, 0, MarkRun, const_cast<LONG*>(&ran), CREATE_SUSPENDED, nullptr));
  ASSERT_TRUE(t);
  EXPECT_EQ(WaitForSingleObject(t.get(), 50), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ran, 0);
  EXPECT_EQ(ResumeThread(t.get()), 1u) << "the count before";
  EXPECT_EQ(WaitForSingleObject(t.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(ResumeThread(t.get()), 0u);
}

unsigned __stdcall TripleIt(void* arg) { return 3 * *static_cast<unsigned*>(arg); }

TEST_F(ThreadContract, RuntimeThreadStartsLikeAnyOther) {
  unsigned value = 5, id = 0;
  ScopedHandle t(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, TripleIt, &value, 0, &id)));
  ASSERT_TRUE(t);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(t.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t.get(), &code));
  EXPECT_EQ(code, 15u);
}

// Uses one 8 KiB frame per level; the sum keeps every frame alive.
int UseStack(int levels) {
  volatile char block[8 * 1024];
  block[0] = static_cast<char>(levels & 0x7F);
  block[sizeof block - 1] = block[0];
  if (levels <= 1) return block[0];
  return UseStack(levels - 1) + block[sizeof block - 1];
}

constexpr int kLevels = 110;  // 880 KiB of a 1 MiB stack

DWORD WINAPI DeepRecursion(LPVOID) {
  return UseStack(kLevels) == kLevels * (kLevels + 1) / 2 ? 0 : 1;
}

TEST_F(ThreadContract, ThreadGetsTheStackSizeAskedFor) {
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer keeps about 770 KiB of per-thread state in static TLS,
  // which glibc places inside the thread's own stack.
  GTEST_SKIP() << "under ThreadSanitizer most of a 1 MiB stack holds its thread state";
#endif
  ScopedHandle t(CreateThread(nullptr, 1024 * 1024, DeepRecursion, nullptr,
                              STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  ASSERT_TRUE(t);
  EXPECT_EQ(WaitForSingleObject(t.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 99;
  EXPECT_TRUE(GetExitCodeThread(t.get(), &code));
  EXPECT_EQ(code, 0u);
}

struct GoDone {
  HANDLE go, done;
};

DWORD WINAPI WaitForGoThenSignalDone(LPVOID arg) {
  auto* p = static_cast<GoDone*>(arg);
  WaitForSingleObject(p->go, 10000);
  SetEvent(p->done);
  return 0;
}

TEST_F(ThreadContract, ClosingTheHandleLeavesTheThreadRunning) {
  ScopedHandle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ScopedHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  GoDone pair{go.get(), done.get()};
  HANDLE t = CreateThread(nullptr, 0, WaitForGoThenSignalDone, &pair, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(CloseHandle(t));
  SetEvent(go.get());
  EXPECT_EQ(WaitForSingleObject(done.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

}  // namespace
}  // namespace tov::test
