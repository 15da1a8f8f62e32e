/// The device-manager snapshot: the tree of device objects built in one
/// pre-order walk over the configuration manager, the computer's system
/// record, the second pass that adds each device's driver files, and the
/// "DevMan" record that holds them all.
#pragma once

#include <atomic>
#include <unordered_map>

#include "devtree/cm_device.h"
#include "devtree/cm_object.h"
#include "devtree/sync_event.h"

class CSystemInfo;

/// Progress codes of the device tree's callback.
enum : LONG {
  PROGRESS_RANGE = 0,          // value: the number of device nodes a pass will report
  PROGRESS_DEVICE = 1,         // value: the CCmDevice just collected; FALSE ends Enumerate
  PROGRESS_DEVICE_DETAIL = 2,  // value: the CCmDevice about to get its details; FALSE ends the pass
};

/// The progress callback: code, value, and the user value given with it.
typedef BOOL (*CmProgressProc)(LONG nCode, ULONG_PTR value, void* pParam);

/// The device tree. Owns the root device (and with it every device,
/// configuration and descriptor) and the system record.
class CCmDevTree : public CCmObject {
  DECLARE_SERIAL(CCmDevTree)

 public:
  CCmDevTree();
  ~CCmDevTree() override;
  CCmDevTree(const CCmDevTree&) = delete;
  CCmDevTree& operator=(const CCmDevTree&) = delete;

  /// Installs the progress callback: the user value first, then the callback
  /// with an interlocked exchange, so a pass on another thread that sees the
  /// callback also sees its value.
  void SetProgressCallback(CmProgressProc pfnProgress, void* pProgressParam);

  /// Builds the tree from the running system, with the configuration
  /// manager's version and state and the system record. A tree built before
  /// is cleared first. TRUE when a root device was found and the walk was not
  /// stopped by the callback.
  BOOL Enumerate();
  /// Runs the second pass on this thread, or on a thread of its own when
  /// bOwnThread is TRUE. Does nothing for a tree read from a file.
  void StartDetailPass(BOOL bOwnThread);
  /// The second pass: each device's driver files, in pre-order.
  void RunDetailPass();
  /// Asks a second pass on its own thread to stop and waits for its end.
  void StopDetailThread();
  /// TRUE once a second pass has ended (run out or stopped).
  virtual BOOL IsDetailPassDone();

  /// The first device in pre-order whose node handle is dnDevInst, or null.
  /// Answers from an index that Enumerate and loading keep, so a lookup
  /// costs no walk; devices linked by other code are not in it.
  CCmDevice* FindDevice(DWORD dnDevInst) const;
  /// The device after pDevice in pre-order within pRoot's subtree, or null.
  static CCmDevice* NextDevice(const CCmDevice* pDevice, const CCmDevice* pRoot);
  /// Reports the number of device nodes (code 0) to the callback.
  void ReportDeviceCount();

  /// The "DevMan" record. Before writing, a second pass on its own thread is
  /// waited for, since the tree changes while it runs; before reading, it is
  /// stopped, since reading replaces the devices it walks.
  void Serialize(CArchive& ar) override;

  CSystemInfo* m_pSysInfo = nullptr;
  WORD m_wCmVersion = 0;
  ULONG m_ulGlobalState = 0;
  CCmApi* m_pApi = nullptr;
  CCmDevice* m_pRoot = nullptr;
  HANDLE m_hDetailThread = nullptr;
  CSyncEvent m_evStop;
  CSyncEvent m_evFinished;
  std::atomic<CmProgressProc> m_pfnProgress{nullptr};
  void* m_pProgressParam = nullptr;

 private:
  static unsigned __stdcall DetailPassThreadProc(void* pTree);
  BOOL ReportProgress(LONG nCode, ULONG_PTR value);
  void ClearDevices();
  // Indexes the devices linked into the tree by node handle, first one in
  // pre-order winning, which is what FindDevice's walk would answer.
  void IndexDevice(CCmDevice* pDevice);
  void IndexSubtree(CCmDevice* pRoot);
  // Checks a tree read from a file: every device's parent is the device whose
  // chain holds it, and its tree is this one.
  bool LoadedLinksAgree() const;

  struct IndexEntry {
    CCmDevice* pDevice;
    CCmDevice* pLastChild;  // of the children linked by Enumerate
  };
  // Appends pDevice to the children of the entry's device in constant time.
  static void LinkChild(IndexEntry& parentEntry, CCmDevice* pDevice);

  std::unordered_map<DWORD, IndexEntry> m_index;
};
