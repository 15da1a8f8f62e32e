#include "devtree/sync_event.h"

CSyncEvent::CSyncEvent(BOOL bManualReset, BOOL bInitialState)
    : m_hEvent(CreateEventA(nullptr, bManualReset, bInitialState, nullptr)) {}

CSyncEvent::~CSyncEvent() { Close(); }

BOOL CSyncEvent::IsValid() const { return m_hEvent != nullptr; }

HANDLE CSyncEvent::GetHandle() const { return m_hEvent; }

LONG CSyncEvent::Lock(DWORD nTimeoutSeconds) {
  m_nLastWait = -1;
  if (!IsValid()) return -1;
  // Seconds beyond the range of a millisecond count wait as long as it allows.
  constexpr DWORD kMaxSeconds = (INFINITE - 1) / 1000;
  DWORD dwMilliseconds = nTimeoutSeconds == 0          ? INFINITE
                         : nTimeoutSeconds > kMaxSeconds ? kMaxSeconds * 1000
                                                         : nTimeoutSeconds * 1000;
  DWORD dwResult = WaitForSingleObject(m_hEvent, dwMilliseconds);
  bool bSignalled = dwResult <= 63;
  bool bAbandoned = dwResult >= 128 && dwResult <= 191;
  if (bSignalled || bAbandoned || dwResult == WAIT_TIMEOUT) m_nLastWait = static_cast<LONG>(dwResult);
  return m_nLastWait;
}

void CSyncEvent::Close() {
  if (m_hEvent != nullptr) {
    CloseHandle(m_hEvent);
    m_hEvent = nullptr;
  }
}

void CSyncEvent::Set() {
  if (IsValid()) SetEvent(m_hEvent);
}

void CSyncEvent::Reset() {
  if (IsValid()) ResetEvent(m_hEvent);
}

BOOL CSyncEvent::IsSet() {
  if (!IsValid()) return FALSE;
  if (WaitForSingleObject(m_hEvent, 0) != WAIT_OBJECT_0) return FALSE;
  // The wait took the signal of an auto-reset event; give it back.
  SetEvent(m_hEvent);
  return TRUE;
}
