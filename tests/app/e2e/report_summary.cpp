// Loads a report file the way a reader does (each stream's object created by
// class and read by its Serialize in load mode, over the platform's
// structured storage) and prints what it holds as JSON, for the end-to-end
// checks to compare with the machine the report was made on.
#include <cstdio>
#include <cstring>
#include <string>

#include "devtree/cm_dev_tree.h"
#include "eventlog/el_event.h"
#include "eventlog/el_event_log.h"
#include "report/ole_stream_file.h"
#include "services/scm_file_ver_info.h"
#include "services/scm_service.h"
#include "services/scm_service_man.h"
#include "sysinfo/system_info.h"
#include "tests/app/e2e/reader_platform.h"

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x80) {
      // Bytes outside ASCII are shown as the code points of the same number
      // (Latin-1): the checks compare ASCII texts.
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::basic_string<WCHAR> Widen(const char* text) {
  std::basic_string<WCHAR> out;
  for (; *text != '\0'; ++text) out.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*text)));
  return out;
}

// Reads one stream into `object`; prints its size and how much the record used.
bool LoadStream(IStorage& storage, const char* name, CObject& object, std::string& json) {
  IStream* stream = nullptr;
  if (FAILED(storage.OpenStream(Widen(name).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                &stream))) {
    std::fprintf(stderr, "report_summary: no stream %s\n", name);
    return false;
  }
  COleStreamFile file(stream, name);
  ULONGLONG size = file.GetLength();
  try {
    CArchive ar(&file, CArchive::load);
    object.Serialize(ar);
    ULONGLONG used = ar.GetPosition();
    ar.Close();
    json += Quote(name) + ": {\"size\": " + std::to_string(size) + ", \"used\": " +
            std::to_string(used) + "}";
    return true;
  } catch (const CException& e) {
    std::fprintf(stderr, "report_summary: %s\n", e.GetErrorMessage().c_str());
    return false;
  }
}

std::string Devices(const CCmDevTree& tree) {
  std::string out = "[";
  for (const CCmDevice* d = tree.m_pRoot; d != nullptr; d = CCmDevTree::NextDevice(d, tree.m_pRoot)) {
    if (out.size() > 1) out += ", ";
    out += "{\"id\": " + Quote(d->m_strDeviceId) + ", \"parent\": " +
           (d->m_pParent != nullptr ? Quote(d->m_pParent->m_strDeviceId) : std::string("null")) +
           ", \"description\": " + Quote(d->m_strDeviceDesc) + ", \"driverFiles\": " +
           Quote(d->m_strDriverFiles) + "}";
  }
  return out + "]";
}

std::string Services(const CSCMServiceMan& services) {
  std::string out = "[";
  for (const CSCMService* s = services.m_pFirst; s != nullptr; s = s->m_pNext) {
    if (out.size() > 1) out += ", ";
    out += "{\"name\": " + Quote(s->m_strServiceName) + ", \"displayName\": " +
           Quote(s->m_strDisplayName) + ", \"binaryPath\": " + Quote(s->m_strBinaryPathName) +
           ", \"fileVersion\": " +
           (s->m_pVerInfo != nullptr ? Quote(s->m_pVerInfo->m_strFileVersion) : std::string("null")) +
           "}";
  }
  return out + "]";
}

std::string Log(const CElEventLog& log) {
  std::string out = "{\"name\": " + Quote(log.m_strLogName) + ", \"count\": " +
                    std::to_string(log.m_nCount) + ", \"events\": [";
  bool first = true;
  for (const CElEvent* e = log.m_pFirst; e != nullptr; e = e->m_pNext) {
    DWORD length = 0, event_id = 0;
    std::string source;
    if (e->m_pRecord != nullptr) {
      std::memcpy(&length, e->m_pRecord, 4);
      if (length >= 24) std::memcpy(&event_id, e->m_pRecord + 20, 4);
      for (DWORD i = 56; i < length && e->m_pRecord[i] != 0; ++i) source += static_cast<char>(e->m_pRecord[i]);
    }
    out += std::string(first ? "" : ", ") + "{\"eventId\": " + std::to_string(event_id) +
           ", \"source\": " + Quote(source) + ", \"message\": " + Quote(e->m_strMessage) +
           ", \"category\": " + Quote(e->m_strCategory) + ", \"user\": " + Quote(e->m_strUser) + "}";
    first = false;
  }
  return out + "]}";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: report_summary <report file>\n");
    return 2;
  }
  tov::test::PrepareReaderPlatform();
  IStorage* raw = nullptr;
  if (FAILED(StgOpenStorage(Widen(argv[1]).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                            nullptr, 0, &raw))) {
    std::fprintf(stderr, "report_summary: %s is not a compound file\n", argv[1]);
    return 1;
  }
  ComRef<IStorage> storage(raw);
  CCmDevTree tree;
  CSCMServiceMan services;
  CElEventLog logs[3];
  const char* log_streams[3] = {"EvLog_System", "EvLog_Norvan", "EvLog_Security"};
  std::string streams;
  bool ok = LoadStream(*storage, "DevMan", tree, streams);
  streams += ", ";
  ok = LoadStream(*storage, "Services", services, streams) && ok;
  for (int i = 0; i < 3; ++i) {
    streams += ", ";
    ok = LoadStream(*storage, log_streams[i], logs[i], streams) && ok;
  }
  if (!ok) return 1;
  std::printf("{\"streams\": {%s},\n", streams.c_str());
  std::printf(" \"devman\": {\"version\": %u, \"state\": %u, \"computer\": %s, \"devices\": %s},\n",
              static_cast<unsigned>(tree.m_wCmVersion), static_cast<unsigned>(tree.m_ulGlobalState),
              tree.m_pSysInfo != nullptr ? Quote(tree.m_pSysInfo->m_strComputerName).c_str() : "null",
              Devices(tree).c_str());
  std::printf(" \"services\": %s,\n", Services(services).c_str());
  std::printf(" \"logs\": [%s, %s, %s]}\n", Log(logs[0]).c_str(), Log(logs[1]).c_str(),
              Log(logs[2]).c_str());
  return 0;
}
