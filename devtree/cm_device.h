/// One device node of the device-manager snapshot: everything collected about
/// it, its configurations, and its place in the tree of device objects.
#pragma once

#include <string>

#include "devtree/cm_object.h"

class CCmApi;
class CCmDevTree;
class CCmLogConf;

/// Number of logical configuration types (basic, filtered, allocated, boot,
/// forced, override), the index range of CCmDevice::m_apLogConf.
constexpr ULONG kLogConfTypes = 6;

/// A device object. It owns its next sibling, its first child and its six
/// configuration chains; parent, tree and binding pointers are not owned.
/// Chains of any length are written, read and destroyed without recursion
/// along the chain, so a parent with tens of thousands of children is fine on
/// a small stack.
class CCmDevice : public CCmObject {
  DECLARE_SERIAL(CCmDevice)

 public:
  CCmDevice();
  ~CCmDevice() override;
  CCmDevice(const CCmDevice&) = delete;
  CCmDevice& operator=(const CCmDevice&) = delete;

  /// Destroys the configurations and zeroes the numbers that a collection
  /// fills; texts, handles and tree links stay.
  void ClearDetails();
  /// Sets m_wPciAddress from the texts of a PCI device; TRUE when a complete
  /// bus, device and function triple was parsed.
  BOOL DerivePciAddress();
  /// Collects the device again from its node; TRUE when it is still present
  /// with the same parent, sibling and child (and, when bRecursive, so are
  /// all its descendants).
  BOOL Refresh(BOOL bRecursive) override;
  void Serialize(CArchive& ar) override;

  /// Parses a location text such as "PCI bus 0, device 31, function 2" into
  /// wAddress (bus in the high byte, device and function in the low byte),
  /// keeping whatever parts were found; TRUE when all three were.
  static BOOL ParsePciLocation(const std::string& strLocation, WORD& wAddress);
  /// Parses the "BUS_xx&DEV_xx&FUNC_xx" part of a device instance ID into
  /// wAddress; FALSE (and 0) unless all three are there with a value.
  static BOOL ParsePciInstance(const std::string& strDeviceId, WORD& wAddress);

  CCmApi* m_pApi = nullptr;
  CCmLogConf* m_apLogConf[kLogConfTypes] = {};
  ULONG m_ulStatus = 0;
  ULONG m_ulProblem = 0;
  DWORD m_dnDevInst = 0;
  DWORD m_dnParent = 0;
  DWORD m_dnSibling = 0;
  DWORD m_dnChild = 0;
  std::string m_strDeviceId;
  std::string m_strDeviceDesc;
  std::string m_strFriendlyName;
  std::string m_strMfg;
  std::string m_strLocationInfo;
  std::string m_strEnumeratorName;
  ULONG m_ulAddress = 0;
  ULONG m_ulUINumber = 0;
  ULONG m_ulCharacteristics = 0;
  ULONG m_ulCapabilities = 0;
  std::string m_strHardwareIds;
  std::string m_strCompatibleIds;
  std::string m_strDriverFiles;
  std::string m_strInfPath;
  std::string m_strInfSection;
  std::string m_strCoInstallers;
  std::string m_strEnumPropPages;
  std::string m_strInstaller;
  std::string m_strLowerFilters;
  std::string m_strUpperFilters;
  std::string m_strProviderName;
  std::string m_strDriverKey;
  std::string m_strService;
  std::string m_strServicePath;
  std::string m_strPdoName;
  ULONG m_ulDeviceReference = 0;
  std::string m_strClassGuid;
  GUID m_guidClass = {};
  std::string m_strClassName;
  std::string m_strClassDesc;
  std::string m_strClassCoInstallers;
  std::string m_strClassEnumPropPages;
  std::string m_strClassInstaller;
  std::string m_strClassTroubleShooter;
  std::string m_strClassLowerFilters;
  std::string m_strClassUpperFilters;
  CCmDevTree* m_pTree = nullptr;
  CCmDevice* m_pNextSibling = nullptr;
  CCmDevice* m_pFirstChild = nullptr;
  CCmDevice* m_pParent = nullptr;
  WORD m_wPciAddress = 0;
  volatile LONG m_lDetailsCollected = FALSE;
  volatile LONG m_lBusy = FALSE;

 private:
  void SerializeFields(CArchive& ar);
  void StoreChain(CArchive& ar);
  void LoadChain(CArchive& ar);
};

/// Destroys pDevice with its later siblings and all their descendants, without
/// recursion (the links are rotated into one chain while it is taken apart).
void DestroyDeviceChain(CCmDevice* pDevice);
