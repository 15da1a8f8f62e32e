// Linux: the platform layer's code pages come from a machine model, so the
// reader installs a bare one whose only setting is the code page. File names
// are UTF-8 bytes, which is what the storage layer turns UTF-16 back into.
//
// libgsf reports what it dislikes in a compound file through GLib's log,
// which would print it on stderr beside the reader's own messages. While a
// host lives, GLib's messages are collected instead, for the reader to put
// into the one message of the failure they belong to.
#include "tools/tovdump/reader_host.h"

#include <glib.h>

#include <mutex>

#include "platform/machine/current_machine.h"
#include "platform/machine/machine.h"

namespace tovdump {

namespace {

// The messages of the host that lives now, or null: GLib takes one writer
// for the whole process, installed once.
std::string* g_pCollected = nullptr;

GLogWriterOutput CollectMessage(GLogLevelFlags level, const GLogField* fields, gsize nFields,
                                gpointer user_data) {
  // Debug and info messages are not printed by GLib's own writer either.
  if (g_pCollected == nullptr || (level & (G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG)) != 0) {
    return g_log_writer_default(level, fields, nFields, user_data);
  }
  std::string strDomain, strMessage;
  for (gsize i = 0; i < nFields; ++i) {
    const std::string key = fields[i].key;
    if (key != "MESSAGE" && key != "GLIB_DOMAIN") continue;
    const char* p = static_cast<const char*>(fields[i].value);
    std::string text = fields[i].length < 0 ? std::string(p) : std::string(p, static_cast<size_t>(fields[i].length));
    (key == "MESSAGE" ? strMessage : strDomain) = text;
  }
  // One line: the lines of a message, and the messages, are joined by spaces.
  std::string text = strDomain.empty() ? strMessage : strDomain + ": " + strMessage;
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  const size_t nStart = text.find_first_not_of(' ');
  if (nStart == std::string::npos) return G_LOG_WRITER_HANDLED;
  text = text.substr(nStart, text.find_last_not_of(' ') + 1 - nStart);
  // libgsf says the same of every element that shows a fault.
  if (g_pCollected->find(text) != std::string::npos) return G_LOG_WRITER_HANDLED;
  if (!g_pCollected->empty()) *g_pCollected += "; ";
  *g_pCollected += text;
  return G_LOG_WRITER_HANDLED;
}

}  // namespace

struct ReaderHost::State {
  explicit State(CodePage codePage) : use(machine) {
    machine.AnsiCodePage(codePage == CodePage::kUtf8 ? CP_UTF8 : 1252);
    static std::once_flag once;
    std::call_once(once, [] { g_log_set_writer_func(CollectMessage, nullptr, nullptr); });
    pOuterCollected = g_pCollected;
    g_pCollected = &collected;
  }
  ~State() { g_pCollected = pOuterCollected; }
  tov::machine::Machine machine;
  tov::machine::ScopedMachine use;
  std::string collected;
  std::string* pOuterCollected;
};

ReaderHost::ReaderHost(CodePage codePage) : m_pState(std::make_unique<State>(codePage)) {}
ReaderHost::~ReaderHost() = default;

std::basic_string<WCHAR> ReaderHost::StorageName(const std::string& strPath) const {
  int n = MultiByteToWideChar(CP_UTF8, 0, strPath.c_str(), -1, nullptr, 0);
  std::basic_string<WCHAR> name(n > 0 ? n : 1, WCHAR{0});
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, strPath.c_str(), -1, name.data(), n);
  return name;
}

std::string ReaderHost::TakeStorageMessages() {
  std::string text;
  text.swap(m_pState->collected);
  return text;
}

}  // namespace tovdump
