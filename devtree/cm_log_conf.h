/// A device's logical configurations and their resource descriptors, kept as
/// the configuration manager reports them, with each descriptor's raw data.
#pragma once

#include <memory>

#include "devtree/cm_object.h"

/// Configuration types 0 (basic), 1 (filtered) and 5 (override) hold
/// resource requirements; 2 (allocated), 3 (boot) and 4 (forced) hold
/// assignments.
BOOL IsRequirementsLogConfType(ULONG ulType);

/// One resource descriptor of a configuration. Owns its data and the rest of
/// its chain, which it destroys without recursion.
class CCmResDes : public CCmObject {
  DECLARE_SERIAL(CCmResDes)

 public:
  CCmResDes() = default;
  ~CCmResDes() override;
  CCmResDes(const CCmResDes&) = delete;
  CCmResDes& operator=(const CCmResDes&) = delete;

  void Serialize(CArchive& ar) override;

  ULONG m_hResDes = 0;
  ULONG m_ulResType = 0;
  std::unique_ptr<BYTE[]> m_pData;
  ULONG m_ulDataSize = 0;
  BOOL m_bRequirements = FALSE;
  CCmResDes* m_pNext = nullptr;
};

/// One logical configuration of a device with its descriptors. Owns the rest
/// of its type's chain and its descriptors, destroying both without recursion.
class CCmLogConf : public CCmObject {
  DECLARE_SERIAL(CCmLogConf)

 public:
  CCmLogConf() = default;
  ~CCmLogConf() override;
  CCmLogConf(const CCmLogConf&) = delete;
  CCmLogConf& operator=(const CCmLogConf&) = delete;

  void Serialize(CArchive& ar) override;

  ULONG m_hLogConf = 0;
  ULONG m_ulType = 6;
  ULONG m_ulPriority = 0xFFFF;
  CCmLogConf* m_pNext = nullptr;
  CCmResDes* m_pFirstResDes = nullptr;
};
