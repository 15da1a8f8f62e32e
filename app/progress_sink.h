/// The interface through which the collection run and the device tree report
/// progress, and through which the progress window can stop a device pass.
#pragma once

#include "win32_api.h"

/// The stages of a collection run, in the order they run.
enum : int {
  STAGE_DEVMAN = 0,
  STAGE_SERVICES = 1,
  STAGE_EVLOG_SYSTEM = 2,
  STAGE_EVLOG_NORVAN = 3,
  STAGE_EVLOG_SECURITY = 4,
  STAGE_DEVMAN_DETAILS = 5,
};

/// Receives progress on the thread that collects. Both operations do nothing
/// and answer TRUE unless overridden. Not deleted through this interface.
class IProgressSink {
 public:
  /// Stage nStage begins; the answer is ignored.
  virtual BOOL OnStage(int nStage) {
    (void)nStage;
    return TRUE;
  }
  /// Progress inside a device pass (codes PROGRESS_RANGE, PROGRESS_DEVICE,
  /// PROGRESS_DEVICE_DETAIL); FALSE stops the current pass.
  virtual BOOL OnProgress(int nCode, ULONG_PTR value) {
    (void)nCode;
    (void)value;
    return TRUE;
  }

 protected:
  ~IProgressSink() = default;
};
