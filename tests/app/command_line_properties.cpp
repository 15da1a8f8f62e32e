#include "tests/app/command_line_properties.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/run_settings.h"

namespace tov::test {
namespace {

// Standard error goes to an unlinked temporary file while it lives, so the
// usage message can be told from silence.
class CaughtStderr {
 public:
  CaughtStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    char path[] = "/tmp/tov-stderr-XXXXXX";
    file_ = mkstemp(path);
    if (file_ >= 0) {
      unlink(path);
      dup2(file_, STDERR_FILENO);
    }
  }
  ~CaughtStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
    if (file_ >= 0) close(file_);
  }
  CaughtStderr(const CaughtStderr&) = delete;
  CaughtStderr& operator=(const CaughtStderr&) = delete;

  bool Ready() const { return saved_ >= 0 && file_ >= 0; }
  off_t Size() const {
    std::fflush(stderr);
    struct stat st {};
    return fstat(file_, &st) == 0 ? st.st_size : -1;
  }

 private:
  int saved_ = -1;
  int file_ = -1;
};

bool IsOption(const std::string& arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

// The name of an option: after its first character, up to the first ':'.
std::string OptionName(const std::string& arg) {
  return arg.substr(1, arg.find(':') == std::string::npos ? std::string::npos : arg.find(':') - 1);
}

DWORD FlagOf(const std::string& name) {
  static const struct {
    const char* name;
    DWORD flag;
  } kSkips[] = {{"sdm", SKIP_DEVMAN},       {"sdd", SKIP_DEVMAN_DETAILS}, {"ssr", SKIP_SERVICES},
                {"sse", SKIP_EVLOG_SYSTEM}, {"see", SKIP_EVLOG_NORVAN},   {"sce", SKIP_EVLOG_SECURITY}};
  for (const auto& skip : kSkips) {
    if (_stricmp(name.c_str(), skip.name) == 0) return skip.flag;
  }
  return 0;
}

ParsedOptions RunOnce(std::vector<char*>& argv, const CaughtStderr& err) {
  ParsedOptions parsed;
  int saved_argc = __argc;
  char** saved_argv = __argv;
  __argc = static_cast<int>(argv.size()) - 1;
  __argv = argv.data();
  off_t before = err.Size();
  parsed.bResult = ParseOptions();
  parsed.bUsageShown = err.Size() > before;
  __argc = saved_argc;
  __argv = saved_argv;
  // Read as bytes: a missing terminator must not be read past.
  const void* end = std::memchr(g_szReportFile, '\0', sizeof g_szReportFile);
  parsed.strReportFile = end != nullptr ? std::string(g_szReportFile) : std::string(g_szReportFile, MAX_PATH) + "...";
  parsed.hwndParent = reinterpret_cast<ULONG_PTR>(g_hwndParent);
  parsed.dwOptions = g_dwOptions;
  return parsed;
}

}  // namespace

std::string CheckParseOptions(const std::vector<std::string>& args, ParsedOptions* pParsed) {
  // Writable copies, as the process's arguments are; kept to compare with.
  std::vector<std::string> texts{"tov"};
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<std::vector<char>> storage;
  std::vector<char*> argv;
  for (const std::string& t : texts) storage.emplace_back(t.c_str(), t.c_str() + t.size() + 1);
  for (std::vector<char>& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  const std::vector<char*> pointers = argv;

  ParsedOptions first, second;
  {
    CaughtStderr err;
    if (!err.Ready()) return "standard error could not be caught";
    first = RunOnce(argv, err);
    second = RunOnce(argv, err);
  }
  if (pParsed != nullptr) *pParsed = first;

  if (std::memchr(g_szReportFile, '\0', sizeof g_szReportFile) == nullptr) {
    return "the file name does not end within its buffer";
  }
  if (argv != pointers) return "the argument vector was changed";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (std::strcmp(storage[i].data(), texts[i].c_str()) != 0 || storage[i].size() != texts[i].size() + 1) {
      return "argument " + std::to_string(i) + " was changed";
    }
  }
  if (first.bResult != second.bResult || first.strReportFile != second.strReportFile ||
      first.hwndParent != second.hwndParent || first.dwOptions != second.dwOptions ||
      first.bUsageShown != second.bUsageShown) {
    return "a second call gave other settings";
  }
  if (!first.bResult) {
    if (!first.strReportFile.empty() || first.hwndParent != 0 || first.dwOptions != 0) {
      return "a rejected line left settings behind";
    }
    if (!first.bUsageShown) return "a rejected line showed no usage message";
    return "";
  }
  if (first.bUsageShown) return "an accepted line showed a message";
  if (first.strReportFile.empty()) return "an accepted line named no file";
  if (IsOption(first.strReportFile)) return "the file name starts with '/' or '-'";
  bool bNamed = false;
  DWORD dwFlags = 0;
  bool bHwndOption = false;
  for (const std::string& arg : args) {
    if (IsOption(arg)) {
      std::string name = OptionName(arg);
      dwFlags |= FlagOf(name);
      if (_stricmp(name.c_str(), "hwnd") == 0 && arg.find(':') != std::string::npos) bHwndOption = true;
    } else if (arg == first.strReportFile) {
      bNamed = true;
    }
  }
  if (!bNamed) return "the file name is none of the arguments";
  if (first.dwOptions != dwFlags) return "the flags are not those of the skip options named";
  if (first.hwndParent != 0 && !bHwndOption) return "a window handle without a /hwnd value";
  if (first.hwndParent > 0xFFFFFFFEu) return "the window handle is not a 32-bit value other than 0xFFFFFFFF";
  return "";
}

}  // namespace tov::test
