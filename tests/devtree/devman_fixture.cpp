#include "tests/devtree/devman_fixture.h"

#include "devtree/cm_log_conf.h"
#include "sysinfo/system_info.h"

CCmDevice* AddChild(CCmDevTree& tree, CCmDevice* pParent, DWORD dnDevInst, const char* pszId) {
  auto* pDevice = new CCmDevice;
  pDevice->m_pTree = &tree;
  pDevice->m_pParent = pParent;
  pDevice->m_dnDevInst = dnDevInst;
  pDevice->m_dnParent = pParent->m_dnDevInst;
  pDevice->m_strDeviceId = pszId;
  CCmDevice** ppLink = &pParent->m_pFirstChild;
  while (*ppLink != nullptr) ppLink = &(*ppLink)->m_pNextSibling;
  *ppLink = pDevice;
  return pDevice;
}

void BuildSmallTree(CCmDevTree& tree) {
  tree.m_wCmVersion = 0x0400;
  tree.m_ulGlobalState = 0x0A;

  auto* pRoot = new CCmDevice;
  tree.m_pRoot = pRoot;
  pRoot->m_pTree = &tree;
  pRoot->m_dnDevInst = 1;
  pRoot->m_dnChild = 2;
  pRoot->m_strDeviceId = "a";
  pRoot->m_strDeviceDesc = "b";
  pRoot->m_strFriendlyName = "c";
  pRoot->m_strMfg = "d";
  pRoot->m_strLocationInfo = "e";
  pRoot->m_strEnumeratorName = "f";
  pRoot->m_ulAddress = 0x11;
  pRoot->m_ulUINumber = 0x12;
  pRoot->m_ulCharacteristics = 0x13;
  pRoot->m_ulCapabilities = 0x14;
  pRoot->m_strHardwareIds = "g";
  pRoot->m_strCompatibleIds = "h";
  pRoot->m_strDriverFiles = "i";
  pRoot->m_strInfPath = "j";
  pRoot->m_strInfSection = "k";
  pRoot->m_strCoInstallers = "l";
  pRoot->m_strEnumPropPages = "m";
  pRoot->m_strInstaller = "n";
  pRoot->m_strLowerFilters = "o";
  pRoot->m_strUpperFilters = "p";
  pRoot->m_strProviderName = "q";
  pRoot->m_ulDeviceReference = 0x15;
  pRoot->m_strClassGuid = "r";
  pRoot->m_guidClass = GUID{0x04030201, 0x0605, 0x0807, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}};
  pRoot->m_strClassName = "s";
  pRoot->m_strClassDesc = "t";
  pRoot->m_strClassCoInstallers = "u";
  pRoot->m_strClassEnumPropPages = "v";
  pRoot->m_strClassInstaller = "w";
  pRoot->m_strClassTroubleShooter = "x";
  pRoot->m_strClassLowerFilters = "y";
  pRoot->m_strClassUpperFilters = "z";
  pRoot->m_strDriverKey = "A";
  pRoot->m_strService = "B";
  pRoot->m_strServicePath = "C";
  pRoot->m_strPdoName = "D";
  pRoot->m_ulStatus = 0x16;
  pRoot->m_ulProblem = 0x17;

  auto* pLogConf = new CCmLogConf;
  pLogConf->m_hLogConf = 0x21;
  pLogConf->m_ulType = 2;
  pLogConf->m_ulPriority = 0x3000;
  auto* pResDes = new CCmResDes;
  pResDes->m_hResDes = 0x31;
  pResDes->m_ulResType = 4;
  pResDes->m_ulDataSize = 3;
  pResDes->m_pData.reset(new BYTE[3]{0xAA, 0xBB, 0xCC});
  pLogConf->m_pFirstResDes = pResDes;
  pRoot->m_apLogConf[2] = pLogConf;

  AddChild(tree, pRoot, 2, "x");

  tree.m_pSysInfo = new CSystemInfo;
  tree.m_pSysInfo->m_strComputerName = "PC";
  tree.m_pSysInfo->m_strWindowsDir = "W";
}

CountedDevice::~CountedDevice() { Destroyed().push_back(this); }

std::vector<const void*>& CountedDevice::Destroyed() {
  static std::vector<const void*> destroyed;
  return destroyed;
}
