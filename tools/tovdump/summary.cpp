#include "tools/tovdump/summary.h"

#include <cstdio>
#include <map>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "sysinfo/system_info.h"
#include "tools/tovdump/raw_blocks.h"
#include "tools/tovdump/record_fields.h"

namespace tovdump {

namespace {

// Devices with problems listed by name at most; the count covers all.
constexpr size_t kMaxProblemLines = 20;

template <class Counts>
std::string CountList(const Counts& counts) {
  std::string text;
  for (const auto& [name, n] : counts) text += (text.empty() ? "" : ", ") + name + " " + std::to_string(n);
  return text;
}

void SummarizeDevTree(std::ostream& out, const CCmDevTree& tree, CodePage cp) {
  if (const CSystemInfo* pInfo = tree.m_pSysInfo) {
    out << "computer: " << DisplayText(pInfo->m_strComputerName, cp) << " (Windows directory "
        << DisplayText(pInfo->m_strWindowsDir, cp) << ")\n";
    const BYTE* v = pInfo->m_pVersionInfo.get();
    if (v != nullptr && pInfo->m_cbVersionInfo >= 148) {
      std::string strCsd(reinterpret_cast<const char*>(v + 20), 128);
      strCsd.resize(strCsd.find('\0') == std::string::npos ? strCsd.size() : strCsd.find('\0'));
      out << "os: version " << Le32(v + 4) << "." << Le32(v + 8) << " build " << Le32(v + 12)
          << " platform " << Le32(v + 16);
      if (!strCsd.empty()) out << " " << DisplayText(strCsd, cp);
      out << "\n";
    }
  }
  size_t nDevices = 0;
  std::vector<const CCmDevice*> problems;
  ForEachDevice(tree.m_pRoot, [&](const CCmDevice& d) {
    ++nDevices;
    if (d.m_ulProblem != 0) problems.push_back(&d);
  });
  out << "devices: " << nDevices << ", with problems: " << problems.size() << "\n";
  for (size_t i = 0; i < problems.size() && i < kMaxProblemLines; ++i) {
    const CCmDevice& d = *problems[i];
    const std::string& strName = d.m_strFriendlyName.empty() ? d.m_strDeviceDesc : d.m_strFriendlyName;
    out << "  problem " << d.m_ulProblem << ": " << DisplayText(d.m_strDeviceId, cp) << " ("
        << DisplayText(strName, cp) << ")\n";
  }
  if (problems.size() > kMaxProblemLines) out << "  ...\n";
}

void SummarizeServices(std::ostream& out, const CSCMServiceMan& man) {
  std::map<std::string, size_t> byState;
  size_t n = 0;
  for (const CSCMService* p = man.m_pFirst; p != nullptr; p = p->m_pNext, ++n) {
    ++byState[ServiceStateName(p->m_status.dwCurrentState)];
  }
  out << "services: " << n;
  if (n != 0) out << " (" << CountList(byState) << ")";
  out << "\n";
}

void SummarizeEventLog(std::ostream& out, const char* pszStream, const CElEventLog& log) {
  std::map<std::string, size_t> byType;
  size_t n = 0;
  for (const CElEvent* p = log.m_pFirst; p != nullptr; p = p->m_pNext, ++n) {
    // A record shorter than its head has no type to count.
    if (p->m_pRecord == nullptr || Le32(p->m_pRecord) < 56) {
      ++byType["no record"];
    } else {
      ++byType[EventTypeName(Le16(p->m_pRecord + 24))];
    }
  }
  out << "events " << pszStream + 6 << ": " << n;
  if (n != 0) out << " (" << CountList(byType) << ")";
  out << ", captured " << FormatUtc(log.m_timeCaptured.GetTime()) << "\n";
}

}  // namespace

std::string DisplayText(const std::string& strBytes, CodePage codePage) {
  std::string text;
  DecodeText(codePage, strBytes, [&text](char32_t c) {
    if (c < 0x20 || (c >= 0xDC80 && c <= 0xDCFF)) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02x", static_cast<unsigned>(c & 0xFF));
      text += esc;
    } else {
      AppendUtf8(text, c);
    }
  });
  return text;
}

void WriteStreamSummary(std::ostream& out, const LoadedStream& stream, CodePage codePage) {
  if (!stream.pObject) return;
  const CObject& object = *stream.pObject;
  if (object.IsKindOf(RUNTIME_CLASS(CCmDevTree))) {
    SummarizeDevTree(out, static_cast<const CCmDevTree&>(object), codePage);
  } else if (object.IsKindOf(RUNTIME_CLASS(CSCMServiceMan))) {
    SummarizeServices(out, static_cast<const CSCMServiceMan&>(object));
  } else if (object.IsKindOf(RUNTIME_CLASS(CElEventLog))) {
    SummarizeEventLog(out, stream.pSpec->pszName, static_cast<const CElEventLog&>(object));
  }
}

}  // namespace tovdump
