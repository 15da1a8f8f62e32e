// Documented behaviour of events, waits, critical sections and interlocked
// operations.
#include <chrono>

#include "tests/platform/contract_data.h"

namespace tov::test {
namespace {

class SyncContract : public ContractTest {};

ScopedHandle Event(bool manual, bool initial) {
  return ScopedHandle(CreateEventA(nullptr, manual ? TRUE : FALSE, initial ? TRUE : FALSE, nullptr));
}

struct EventCase {
  const char* what;
  bool manual;
  bool initial;
  DWORD first_wait;
  DWORD second_wait;  // right after the first
};

TEST_F(SyncContract, EventStatesAndResets) {
  const EventCase cases[] = {
      {"manual, set", true, true, WAIT_OBJECT_0, WAIT_OBJECT_0},
      {"manual, clear", true, false, WAIT_TIMEOUT, WAIT_TIMEOUT},
      {"auto, set: the wait takes the signal", false, true, WAIT_OBJECT_0, WAIT_TIMEOUT},
      {"auto, clear", false, false, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedHandle e = Event(c.manual, c.initial);
    ASSERT_TRUE(e);
    EXPECT_EQ(WaitForSingleObject(e.get(), 0), c.first_wait);
    EXPECT_EQ(WaitForSingleObject(e.get(), 0), c.second_wait);
    EXPECT_TRUE(SetEvent(e.get()));
    EXPECT_EQ(WaitForSingleObject(e.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(SetEvent(e.get()));
    EXPECT_TRUE(ResetEvent(e.get()));
    EXPECT_EQ(WaitForSingleObject(e.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
}

TEST_F(SyncContract, TimedWaitLastsItsTime) {
  ScopedHandle e = Event(true, false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(e.get(), 60), static_cast<DWORD>(WAIT_TIMEOUT));
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 50);
}

struct Waiter {
  HANDLE event;
  volatile LONG* passed;
};

DWORD WINAPI WaitThenCount(LPVOID arg) {
  auto* w = static_cast<Waiter*>(arg);
  if (WaitForSingleObject(w->event, 10000) != WAIT_OBJECT_0) return 1;
  InterlockedIncrement(w->passed);
  return 0;
}

TEST_F(SyncContract, AutoResetReleasesOneWaiterPerSignal) {
  ScopedHandle e = Event(false, false);
  volatile LONG passed = 0;
  Waiter w{e.get(), &passed};
  ScopedHandle a(CreateThread(nullptr, 0, WaitThenCount, &w, 0, nullptr));
  ScopedHandle b(CreateThread(nullptr, 0, WaitThenCount, &w, 0, nullptr));
  ASSERT_TRUE(a && b);
  // The waiters may still run: the count is read with an interlocked
  // operation, as it is written.
  Sleep(50);  // both are waiting by now
  EXPECT_EQ(InterlockedCompareExchange(&passed, 0, 0), 0);
  SetEvent(e.get());
  Sleep(100);
  EXPECT_EQ(InterlockedCompareExchange(&passed, 0, 0), 1) << "one signal, one waiter";
  SetEvent(e.get());
  EXPECT_EQ(WaitForSingleObject(a.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(b.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(passed, 2);
}

TEST_F(SyncContract, ManualResetReleasesEveryWaiter) {
  ScopedHandle e = Event(true, false);
  volatile LONG passed = 0;
  Waiter w{e.get(), &passed};
  ScopedHandle a(CreateThread(nullptr, 0, WaitThenCount, &w, 0, nullptr));
  ScopedHandle b(CreateThread(nullptr, 0, WaitThenCount, &w, 0, nullptr));
  ASSERT_TRUE(a && b);
  SetEvent(e.get());
  EXPECT_EQ(WaitForSingleObject(a.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(b.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(passed, 2);
}

TEST_F(SyncContract, ClosedHandlesFail) {
  HANDLE e = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(e));
  EXPECT_FALSE(ResetEvent(e));
  EXPECT_FALSE(CloseHandle(e));
}

struct Shared {
  CRITICAL_SECTION cs;
  long counter = 0;  // guarded by cs only
};

DWORD WINAPI CountUnderLock(LPVOID arg) {
  auto* s = static_cast<Shared*>(arg);
  for (int i = 0; i < 200000; ++i) {
    EnterCriticalSection(&s->cs);
    long v = s->counter;
    s->counter = v + 1;
    LeaveCriticalSection(&s->cs);
  }
  return 0;
}

TEST_F(SyncContract, CriticalSectionExcludesOtherThreads) {
  Shared s;
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&s.cs, 0));
  ScopedHandle a(CreateThread(nullptr, 0, CountUnderLock, &s, 0, nullptr));
  ScopedHandle b(CreateThread(nullptr, 0, CountUnderLock, &s, 0, nullptr));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(WaitForSingleObject(a.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(b.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(s.counter, 400000);
  DeleteCriticalSection(&s.cs);
}

TEST_F(SyncContract, CriticalSectionMayBeEnteredAgainByItsHolder) {
  CRITICAL_SECTION cs;
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&cs, 0));
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  DeleteCriticalSection(&cs);
}

TEST_F(SyncContract, InterlockedResults) {
  volatile LONG v = 5;
  EXPECT_EQ(InterlockedExchange(&v, 9), 5);
  EXPECT_EQ(v, 9);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 8), 9) << "no match: unchanged";
  EXPECT_EQ(v, 9);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 9), 9) << "match: exchanged";
  EXPECT_EQ(v, 1);
  EXPECT_EQ(InterlockedIncrement(&v), 2);
  EXPECT_EQ(InterlockedDecrement(&v), 1);
  EXPECT_EQ(InterlockedDecrement(&v), 0);
  EXPECT_EQ(InterlockedDecrement(&v), -1);

  int a = 0, b = 0;
  PVOID volatile p = &a;
  EXPECT_EQ(InterlockedExchangePointer(&p, &b), &a);
  EXPECT_EQ(p, &b);
}

DWORD WINAPI IncrementMany(LPVOID arg) {
  for (int i = 0; i < 100000; ++i) InterlockedIncrement(static_cast<volatile LONG*>(arg));
  return 0;
}

TEST_F(SyncContract, InterlockedIncrementsFromManyThreadsAreAllCounted) {
  volatile LONG counter = 0;
  ScopedHandle threads[4];
  for (ScopedHandle& t : threads) {
    t.reset(CreateThread(nullptr, 0, IncrementMany, const_cast<LONG*>(&counter), 0, nullptr));
    ASSERT_TRUE(t);
  }
  for (ScopedHandle& t : threads) {
    EXPECT_EQ(WaitForSingleObject(t.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  }
  EXPECT_EQ(counter, 400000);
}

}  // namespace
}  // namespace tov::test
