/// A small event object: the device tree's way to ask its detail pass to stop
/// and to tell that the pass has ended.
#pragma once

#include "report/object.h"
#include "win32_api.h"

/// Owns one event handle. Wait results are those of WaitForSingleObject, or
/// -1 for an invalid event or a failed wait.
class CSyncEvent : public CObject {
 public:
  /// An unnamed event, manual-reset or auto-reset, signalled or not.
  CSyncEvent(BOOL bManualReset, BOOL bInitialState);
  ~CSyncEvent() override;
  CSyncEvent(const CSyncEvent&) = delete;
  CSyncEvent& operator=(const CSyncEvent&) = delete;

  /// TRUE when the event was created.
  virtual BOOL IsValid() const;
  virtual HANDLE GetHandle() const;
  /// Waits for the event, nTimeoutSeconds at most (0: without limit); the
  /// wait result (0 to 63 signalled, 128 to 191 abandoned, 258 timed out), or
  /// -1 otherwise. The result is also kept in m_nLastWait.
  virtual LONG Lock(DWORD nTimeoutSeconds);
  virtual void Close();
  virtual void Set();
  virtual void Reset();
  /// TRUE when the event is signalled; the test leaves it signalled, also for
  /// an auto-reset event.
  virtual BOOL IsSet();

  HANDLE m_hEvent = nullptr;
  LONG m_nLastWait = -1;
};
