#include "sample_report.h"

#include <cstring>

#include "devtree/cm_log_conf.h"
#include "eventlog/el_event.h"
#include "report/archive.h"
#include "report/com_ref.h"
#include "report/mem_file.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "sysinfo/system_info.h"

namespace tovdump::test {

namespace {

void Put32(std::vector<BYTE>& b, size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); }
void Put16(std::vector<BYTE>& b, size_t at, WORD v) { std::memcpy(&b[at], &v, 2); }
void Put64(std::vector<BYTE>& b, size_t at, ULONGLONG v) { std::memcpy(&b[at], &v, 8); }

CCmResDes* MakeResDes(ULONG ulType, std::vector<BYTE> data, CCmResDes* pNext) {
  auto* pRes = new CCmResDes;
  pRes->m_ulResType = ulType;
  pRes->m_hResDes = 0x100 + ulType;
  pRes->m_ulDataSize = static_cast<ULONG>(data.size());
  pRes->m_pData.reset(new BYTE[data.size()]);
  std::memcpy(pRes->m_pData.get(), data.data(), data.size());
  pRes->m_pNext = pNext;
  return pRes;
}

// An allocated configuration: memory 0xFEB00000-0xFEB0FFFF, ports
// 0xC000-0xC01F, DMA channel 2, IRQ 11.
CCmLogConf* MakeAllocatedConf() {
  std::vector<BYTE> mem(32), io(28), dma(16), irq(20);
  Put64(mem, 8, 0xFEB00000), Put64(mem, 16, 0xFEB0FFFF);
  Put64(io, 8, 0xC000), Put64(io, 16, 0xC01F);
  Put32(dma, 12, 2);
  Put32(irq, 12, 11), Put32(irq, 16, 0xFFFFFFFF);
  auto* pConf = new CCmLogConf;
  pConf->m_hLogConf = 0x77;
  pConf->m_ulType = 2;
  pConf->m_ulPriority = 0;
  pConf->m_pFirstResDes =
      MakeResDes(1, mem, MakeResDes(2, io, MakeResDes(3, dma, MakeResDes(4, irq, nullptr))));
  return pConf;
}

CCmDevice* MakeDevice(CCmDevTree& tree, CCmDevice* pParent, size_t n) {
  auto* p = new CCmDevice;
  p->m_pTree = &tree;
  p->m_pParent = pParent;
  p->m_dnDevInst = static_cast<DWORD>(n + 1);
  p->m_dnParent = pParent != nullptr ? pParent->m_dnDevInst : 0;
  p->m_strDeviceId = n == 0 ? "HTREE\\ROOT\\0" : "PCI\\VEN_8086&DEV_7010\\3&1&" + std::to_string(n);
  p->m_strDeviceDesc = "Device " + std::to_string(n);
  p->m_strFriendlyName = n == 1 ? "Caf\xe9 controller \x80" : "";
  p->m_strMfg = "Norvan";
  p->m_strLocationInfo = "PCI bus 0, device " + std::to_string(n % 32) + ", function 0";
  p->m_strHardwareIds = "PCI\\VEN_8086&DEV_7010\nPCI\\VEN_8086\n";
  p->m_strClassName = "System";
  p->m_strClassGuid = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";
  p->m_guidClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
  p->m_strService = "pci";
  p->m_ulStatus = 0x0180200A;
  p->m_ulProblem = n == 2 ? 28 : 0;
  if (n == 1) p->m_apLogConf[2] = MakeAllocatedConf();
  return p;
}

void FillDevTree(CCmDevTree& tree, size_t nDevices) {
  tree.m_wCmVersion = 0x0400;
  tree.m_ulGlobalState = 0;
  auto* pInfo = new CSystemInfo;
  pInfo->m_strComputerName = "WS01";
  pInfo->m_strWindowsDir = "C:\\WINDOWS";
  pInfo->m_cbSystemInfo = kSystemInfoBytes;
  pInfo->m_pSystemInfo.reset(new BYTE[kSystemInfoBytes]());
  std::vector<BYTE> si(kSystemInfoBytes), vi(kVersionInfoExBytes);
  Put32(si, 4, 4096), Put32(si, 20, 2), Put32(si, 24, 586), Put16(si, 32, 6);
  Put32(vi, 0, kVersionInfoExBytes), Put32(vi, 4, 5), Put32(vi, 8, 1), Put32(vi, 12, 2600), Put32(vi, 16, 2);
  std::memcpy(&vi[20], "Service Pack 3", 14);
  Put16(vi, 148, 3);
  vi[154] = 1;
  std::memcpy(pInfo->m_pSystemInfo.get(), si.data(), si.size());
  pInfo->m_cbVersionInfo = kVersionInfoExBytes;
  pInfo->m_pVersionInfo.reset(new BYTE[kVersionInfoExBytes]);
  std::memcpy(pInfo->m_pVersionInfo.get(), vi.data(), vi.size());
  tree.m_pSysInfo = pInfo;

  // The root with up to 64 children, each of which takes the devices that
  // follow as its own children: a wide, shallow tree like a real machine's.
  CCmDevice* pRoot = MakeDevice(tree, nullptr, 0);
  tree.m_pRoot = pRoot;
  std::vector<CCmDevice*> buses;
  std::vector<CCmDevice*> lastChild;
  CCmDevice* pLastBus = nullptr;
  for (size_t n = 1; n < nDevices; ++n) {
    if (buses.size() < 64 && (n <= 3 || buses.size() * buses.size() < n)) {
      CCmDevice* pBus = MakeDevice(tree, pRoot, n);
      (pLastBus == nullptr ? pRoot->m_pFirstChild : pLastBus->m_pNextSibling) = pBus;
      pLastBus = pBus;
      buses.push_back(pBus);
      lastChild.push_back(nullptr);
      continue;
    }
    size_t i = n % buses.size();
    CCmDevice* pDevice = MakeDevice(tree, buses[i], n);
    (lastChild[i] == nullptr ? buses[i]->m_pFirstChild : lastChild[i]->m_pNextSibling) = pDevice;
    lastChild[i] = pDevice;
  }
}

CSCMService* MakeService(CSCMServiceMan& man, const std::string& strName, DWORD dwState) {
  auto* p = new CSCMService;
  p->m_pOwner = &man;
  p->m_strServiceName = strName;
  p->m_strDisplayName = strName + " service";
  p->m_status.dwServiceType = 0x20;
  p->m_status.dwCurrentState = dwState;
  p->m_dwServiceType = 0x20;
  p->m_dwStartType = 2;
  p->m_strBinaryPathName = "C:\\WINDOWS\\system32\\svchost.exe -k netsvcs";
  p->m_strDependencies = "RpcSs\nTcpip";
  p->m_strServiceStartName = "LocalSystem";
  return p;
}

void FillServices(CSCMServiceMan& man) {
  CSCMService* pFirst = MakeService(man, "Dhcp", SERVICE_RUNNING);
  CSCMService* pSecond = MakeService(man, "Norvan", SERVICE_STOPPED);
  pSecond->m_pVerInfo = new CSCMFileVerInfo;
  pSecond->m_pVerInfo->m_strFileName = "C:\\Program Files\\Norvan\\nvsvc.exe";
  pSecond->m_pVerInfo->m_strFileVersion = "4.2.0.17";
  pSecond->m_pVerInfo->m_strCompanyName = "Norvan";
  pFirst->m_pNext = pSecond;
  man.m_pFirst = pFirst;
  man.m_pLast = pSecond;
  man.m_nCount = 2;
}

void AddEvent(CElEventLog& log, std::vector<BYTE> record, const std::string& strMessage) {
  auto* p = new CElEvent;
  p->m_pLog = &log;
  p->m_pRecord = new BYTE[record.size()];
  p->m_bOwnsRecord = TRUE;
  std::memcpy(p->m_pRecord, record.data(), record.size());
  p->m_strMessage = strMessage;
  p->m_strUser = "NT AUTHORITY\\SYSTEM";
  (log.m_pLast == nullptr ? log.m_pFirst : log.m_pLast->m_pNext) = p;
  log.m_pLast = p;
  ++log.m_nCount;
}

void FillLog(CElEventLog& log, const char* pszName) {
  log.m_strLogName = pszName;
  log.m_timeCaptured = CTime(1765425000);
  log.m_dwFilter = EL_RECENT | EL_MAX_COUNT;
  log.m_spanWindow = CTimeSpan(10 * 86400);
  log.m_nMaxEvents = 200;
}

}  // namespace

std::vector<BYTE> MakeEventRecord(DWORD nRecord, DWORD nTime, DWORD dwEventId, WORD wType,
                                  const std::string& strSource, const std::vector<std::string>& strings) {
  std::vector<BYTE> r(56);
  r.insert(r.end(), strSource.begin(), strSource.end());
  r.push_back(0);
  for (char c : std::string("WS01")) r.push_back(static_cast<BYTE>(c));
  r.push_back(0);
  const size_t nSid = r.size();
  const BYTE sid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  r.insert(r.end(), sid, sid + sizeof sid);
  const size_t nStrings = r.size();
  for (const std::string& s : strings) {
    r.insert(r.end(), s.begin(), s.end());
    r.push_back(0);
  }
  const size_t nData = r.size();
  r.push_back(0xAB), r.push_back(0xCD);
  r.resize(r.size() + 4);
  Put32(r, 0, static_cast<DWORD>(r.size()));
  Put32(r, r.size() - 4, static_cast<DWORD>(r.size()));
  Put32(r, 4, 0x654C664C);
  Put32(r, 8, nRecord), Put32(r, 12, nTime), Put32(r, 16, nTime), Put32(r, 20, dwEventId);
  Put16(r, 24, wType), Put16(r, 26, static_cast<WORD>(strings.size()));
  Put32(r, 36, static_cast<DWORD>(nStrings));
  Put32(r, 40, sizeof sid), Put32(r, 44, static_cast<DWORD>(nSid));
  Put32(r, 48, 2), Put32(r, 52, static_cast<DWORD>(nData));
  return r;
}

std::unique_ptr<SampleReport> MakeSampleReport(size_t nDevices) {
  auto report = std::make_unique<SampleReport>();
  FillDevTree(report->devTree, nDevices < 4 ? 4 : nDevices);
  FillServices(report->services);
  FillLog(report->logs[0], "System");
  FillLog(report->logs[1], "Norvan");
  FillLog(report->logs[2], "Security");
  AddEvent(report->logs[0], MakeEventRecord(1002, 1765424000, 7036, 4, "Service Control Manager", {"Dhcp", "running"}),
           "The Dhcp service entered the running state.");
  AddEvent(report->logs[0], MakeEventRecord(1001, 1765423000, 0xC0000005, 1, "Disk", {"\\Device\\Harddisk0"}),
           "The device has a bad block.");
  AddEvent(report->logs[2], MakeEventRecord(77, 1765420000, 528, 8, "Security", {}), "");
  return report;
}

std::vector<BYTE> StoreObject(CObject& object) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  object.Serialize(ar);
  ar.Close();
  return file.Data();
}

std::vector<Stream> StoreReport(SampleReport& report) {
  return {{"DevMan", StoreObject(report.devTree)},
          {"Services", StoreObject(report.services)},
          {"EvLog_System", StoreObject(report.logs[0])},
          {"EvLog_Norvan", StoreObject(report.logs[1])},
          {"EvLog_Security", StoreObject(report.logs[2])}};
}

bool WriteCompoundFile(const std::string& strPath, const std::vector<Stream>& streams) {
  std::basic_string<WCHAR> path(strPath.begin(), strPath.end());
  IStorage* pStorage = nullptr;
  if (FAILED(StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                reinterpret_cast<void**>(&pStorage)))) {
    return false;
  }
  ComRef<IStorage> storage(pStorage);
  for (const auto& [name, bytes] : streams) {
    std::basic_string<WCHAR> wide(name.begin(), name.end());
    IStream* pStream = nullptr;
    if (FAILED(storage->CreateStream(wide.c_str(), STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, &pStream))) {
      return false;
    }
    ComRef<IStream> stream(pStream);
    ULONG nWritten = 0;
    if (!bytes.empty() && (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &nWritten)) ||
                           nWritten != bytes.size())) {
      return false;
    }
  }
  return true;
}

}  // namespace tovdump::test
