// The second pass: each device's driver file list, inline or on a thread of
// its own that can be asked to stop.
#include "devtree/cm_dev_tree.h"
#include "devtree/device_collect.h"

void CCmDevTree::StartDetailPass(BOOL bOwnThread) {
  if (m_bLoaded) return;
  // One pass at a time: a pass still running on its thread ends first.
  if (m_hDetailThread != nullptr) StopDetailThread();
  if (!bOwnThread) {
    // A stop request left from an earlier pass on a thread is not for this one.
    m_evStop.Reset();
    m_evFinished.Reset();
    RunDetailPass();
    return;
  }
  m_hDetailThread = reinterpret_cast<HANDLE>(
      _beginthreadex(nullptr, 0, DetailPassThreadProc, this, CREATE_SUSPENDED, nullptr));
  if (m_hDetailThread == nullptr) return;
  m_evStop.Reset();
  m_evFinished.Reset();
  SetThreadPriority(m_hDetailThread, THREAD_PRIORITY_BELOW_NORMAL);
  ResumeThread(m_hDetailThread);
}

unsigned __stdcall CCmDevTree::DetailPassThreadProc(void* pTree) {
  static_cast<CCmDevTree*>(pTree)->RunDetailPass();
  return 0;
}

void CCmDevTree::RunDetailPass() {
  ReportDeviceCount();
  for (CCmDevice* pDevice = m_pRoot; pDevice != nullptr; pDevice = NextDevice(pDevice, m_pRoot)) {
    if (m_evStop.IsSet()) break;
    if (!ReportProgress(PROGRESS_DEVICE_DETAIL, reinterpret_cast<ULONG_PTR>(pDevice))) break;
    CollectDriverFiles(*pDevice);
  }
  m_evFinished.Set();
}

void CCmDevTree::StopDetailThread() {
  if (m_hDetailThread == nullptr) return;
  m_evStop.Set();
  // The pass polls the stop request once per device; a higher priority gets
  // it there sooner.
  SetThreadPriority(m_hDetailThread, THREAD_PRIORITY_ABOVE_NORMAL);
  WaitForSingleObject(m_hDetailThread, INFINITE);
  CloseHandle(m_hDetailThread);
  m_hDetailThread = nullptr;
}

BOOL CCmDevTree::IsDetailPassDone() { return m_evFinished.IsSet(); }
