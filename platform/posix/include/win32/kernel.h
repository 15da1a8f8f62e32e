/// Kernel services: threads, events and waits, critical sections, interlocked
/// operations, sleeping and the tick count. Events and threads are handles of
/// the installed machine and are counted there until CloseHandle.
#pragma once

#include <cstdint>

#include "win32/base_types.h"

#ifndef __stdcall
#define __stdcall
#endif

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef DWORD(WINAPI* PTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define STILL_ACTIVE 259L

#define CREATE_SUSPENDED 0x00000004
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000

#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2

/// Starts `lpStartAddress(lpParameter)` on a thread whose stack holds
/// dwStackSize bytes (0: the system's default), suspended with
/// CREATE_SUSPENDED until ResumeThread. The handle is signalled when the
/// thread ends.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId);

/// The C runtime's way to start a thread; the same as CreateThread. 0 on failure.
uintptr_t _beginthreadex(void* security, unsigned stack_size,
                         unsigned(__stdcall* start_address)(void*), void* arglist,
                         unsigned initflag, unsigned* thrdaddr);

/// Lowers the suspend count of a thread made with CREATE_SUSPENDED; at 0 it
/// runs. Returns the count before, or (DWORD)-1 for a bad handle.
DWORD ResumeThread(HANDLE hThread);

/// Accepted for a thread handle; the priority has no effect here.
BOOL SetThreadPriority(HANDLE hThread, int nPriority);

/// The thread's exit code, or STILL_ACTIVE while it runs.
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);

/// A manual-reset or auto-reset event, signalled or not. The name is ignored.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                    BOOL bInitialState, LPCSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

/// Waits until an event or thread is signalled (an auto-reset event is reset
/// by the wait that sees it) or `dwMilliseconds` pass (INFINITE: no limit).
/// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a bad handle.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

/// Releases an event or thread handle (a thread runs on without it).
BOOL CloseHandle(HANDLE hObject);

/// A lock that the thread holding it may enter again; storage for its state.
typedef struct _RTL_CRITICAL_SECTION {
  alignas(16) unsigned char opaque[64];
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection,
                                           DWORD dwSpinCount);
void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

/// Atomic operations on a 32-bit word (full barrier); each returns the value
/// before (exchanges) or after (increment, decrement).
LONG InterlockedExchange(volatile LONG* Target, LONG Value);
LONG InterlockedCompareExchange(volatile LONG* Destination, LONG Exchange, LONG Comparand);
LONG InterlockedIncrement(volatile LONG* Addend);
LONG InterlockedDecrement(volatile LONG* Addend);
PVOID InterlockedExchangePointer(PVOID volatile* Target, PVOID Value);

void Sleep(DWORD dwMilliseconds);
/// Milliseconds since the system started, wrapping after 49.7 days.
DWORD GetTickCount(void);
