/// The common base of the device tree's records: whether an object was read
/// from a report file or collected from the running system, and the refresh
/// operation a collected object offers.
#pragma once

#include "report/archive.h"
#include "report/object.h"
#include "win32_api.h"

/// Base of CCmDevice, CCmLogConf, CCmResDes and CCmDevTree.
class CCmObject : public CObject {
  DECLARE_SERIAL(CCmObject)

 public:
  CCmObject() = default;

  /// TRUE for an object collected from the running system.
  BOOL IsLive() const { return !m_bLoaded; }
  /// Collects the object again; TRUE when it is unchanged. The base has
  /// nothing to collect.
  virtual BOOL Refresh(BOOL bRecursive);

  /// Writes nothing; on load marks the object as loaded.
  void Serialize(CArchive& ar) override;

  /// TRUE when the object was read from an archive.
  BOOL m_bLoaded = FALSE;
};
