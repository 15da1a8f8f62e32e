// Kernel objects as the machine model accounts for them, and the parts of the
// threads that only Linux can look into.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>

#include "platform/machine/current_machine.h"
#include "win32_api.h"

namespace tov::machine {
namespace {

DWORD WINAPI MeasureStack(LPVOID arg) {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 1;
  size_t size = 0;
  pthread_attr_getstacksize(&attr, &size);
  pthread_attr_destroy(&attr);
  *static_cast<size_t*>(arg) = size;
  return 0;
}

TEST(KernelModel, StackSizeIsTheOneAskedForNotTheSystemDefault) {
  Machine m;
  ScopedMachine use(m);
  const SIZE_T asked = 1024 * 1024;
  size_t size = 0;
  HANDLE t = CreateThread(nullptr, asked, MeasureStack, &size, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  CloseHandle(t);
  EXPECT_GE(size, asked);
  // The C library may hand over a cached stack somewhat larger than asked for,
  // but never one four times as large; its own default is 8 MiB.
  EXPECT_LT(size, 4 * asked);
}

DWORD WINAPI ReturnAtOnce(LPVOID) { return 0; }

TEST(KernelModel, EventsAndThreadsAreCountedUntilClosed) {
  Machine m;
  ScopedMachine use(m);
  HANDLE e1 = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE e2 = CreateEventA(nullptr, FALSE, FALSE, "named");
  HANDLE t = CreateThread(nullptr, 0, ReturnAtOnce, nullptr, 0, nullptr);
  ASSERT_TRUE(e1 && e2 && t);
  EXPECT_EQ(m.OpenHandles(kEventHandle), 2);
  EXPECT_EQ(m.OpenHandles(kThreadHandle), 1);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(m.OpenHandles(kThreadHandle), 1) << "an ended thread's handle is still open";
  EXPECT_TRUE(CloseHandle(e1));
  EXPECT_TRUE(CloseHandle(e2));
  EXPECT_TRUE(CloseHandle(t));
  EXPECT_EQ(m.OpenHandles(), 0);
  EXPECT_EQ(m.Calls("CloseHandle"), 3);
}

TEST(KernelModel, KernelHandlesAreNotKeysNorTheOtherWayRound) {
  Machine m;
  m.Registry().Key("A");
  ScopedMachine use(m);
  HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "A", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(e)), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(key)));
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(key), 0), WAIT_FAILED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_EQ(m.OpenHandles(), 0);
}

TEST(KernelModel, ClockComesFromTheMachine) {
  Machine m;
  m.Now(1700000000);
  ScopedMachine use(m);
  __time64_t stored = 0;
  EXPECT_EQ(_time64(nullptr), 1700000000);
  EXPECT_EQ(_time64(&stored), 1700000000);
  EXPECT_EQ(stored, 1700000000);
}

TEST(KernelModel, WithoutMachineOperationsFailAndSaySo) {
  ASSERT_EQ(CurrentMachine(), nullptr);
  char buf[MAX_PATH];
  DWORD size = sizeof buf;
  WCHAR wide[4];
  struct Check {
    const char* operation;
    std::function<bool()> fails;
  };
  const Check checks[] = {
      {"CreateEventA", [] { return CreateEventA(nullptr, TRUE, FALSE, nullptr) == nullptr; }},
      {"CreateThread",
       [] { return CreateThread(nullptr, 0, ReturnAtOnce, nullptr, 0, nullptr) == nullptr; }},
      {"GetWindowsDirectoryA", [&] { return GetWindowsDirectoryA(buf, MAX_PATH) == 0; }},
      {"GetComputerNameA", [&] { return GetComputerNameA(buf, &size) == FALSE; }},
      {"ExpandEnvironmentStringsA", [&] { return ExpandEnvironmentStringsA("x", buf, MAX_PATH) == 0; }},
      {"GetFileAttributesA",
       [] { return GetFileAttributesA("C:\\WINDOWS") == INVALID_FILE_ATTRIBUTES; }},
      {"_time64", [] { return _time64(nullptr) == -1; }},
      {"GetACP", [] { return GetACP() == 0; }},
      {"MultiByteToWideChar(CP_ACP)",
       [&] { return MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 4) == 0; }},
  };
  for (const Check& c : checks) {
    SetLastError(0);
    EXPECT_TRUE(c.fails()) << c.operation;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY)) << c.operation;
  }
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 4), 3) << "needs no machine";
}

}  // namespace
}  // namespace tov::machine
