#include "tools/tovdump/tovdump_cli.h"

#include "tools/tovdump/json_writer.h"
#include "tools/tovdump/report_diff.h"
#include "tools/tovdump/report_json.h"
#include "tools/tovdump/report_reader.h"
#include "tools/tovdump/summary.h"

namespace tovdump {

namespace {

constexpr char kUsage[] =
    "usage: tovdump [--json | --summary] [--stream NAME] [--codepage CP] FILE\n"
    "       tovdump diff [--json | --text] [--codepage CP] FILE_A FILE_B\n"
    "CP: 1252 (default), 28591, 65001\n";

enum class Mode { kJson, kSummary, kDiffJson, kDiffText };

struct Options {
  Mode mode = Mode::kJson;
  CodePage codePage = CodePage::kWindows1252;
  const StreamSpec* pOnlyStream = nullptr;
  std::vector<std::string> files;
};

// False on a usage error, with the reason in strError.
bool ParseArgs(const std::vector<std::string>& args, Options& options, std::string& strError) {
  size_t i = 0;
  const bool bDiff = !args.empty() && args[0] == "diff";
  if (bDiff) {
    options.mode = Mode::kDiffText;
    i = 1;
  }
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool bHasValue = i + 1 < args.size();
    if (arg == "--json") {
      options.mode = bDiff ? Mode::kDiffJson : Mode::kJson;
    } else if (arg == "--summary" && !bDiff) {
      options.mode = Mode::kSummary;
    } else if (arg == "--text" && bDiff) {
      options.mode = Mode::kDiffText;
    } else if (arg == "--stream" && !bDiff && bHasValue) {
      options.pOnlyStream = FindReportStream(args[++i]);
      if (options.pOnlyStream == nullptr) {
        strError = "no stream is called " + args[i];
        return false;
      }
    } else if (arg == "--codepage" && bHasValue) {
      std::optional<CodePage> cp = ParseCodePage(args[++i]);
      if (!cp) {
        strError = "code page " + args[i] + " is not supported";
        return false;
      }
      options.codePage = *cp;
    } else if (arg.size() > 1 && arg[0] == '-') {
      strError = "unknown option " + arg;
      return false;
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.files.size() != (bDiff ? 2u : 1u)) {
    strError = bDiff ? "diff takes two files" : "one report file is needed";
    return false;
  }
  return true;
}

class Run {
 public:
  Run(const Options& options, std::ostream& out, std::ostream& err)
      : m_options(options), m_host(options.codePage), m_out(out), m_err(err) {}

  int Dump() {
    const std::string& strFile = m_options.files[0];
    ReportReader reader(m_host);
    std::string strError;
    if (!reader.Open(strFile, strError)) {
      Fail(strFile, strError);
      return m_status;
    }
    if (m_options.mode == Mode::kJson) {
      JsonWriter json(m_out, m_options.codePage);
      json.BeginObject();
      json.Key("file").String(strFile);
      json.Key("streams").BeginObject();
      ForEachStream(reader, strFile, [&json](const LoadedStream& stream) {
        json.Key(stream.pSpec->pszName);
        WriteStreamJson(json, stream);
      });
      json.EndObject();
      json.Key("other_elements").BeginArray();
      for (const std::string& name : reader.OtherElements()) json.String(name);
      json.EndArray();
      json.EndObject();
      json.Finish();
    } else {
      m_out << "file: " << strFile << "\n";
      ForEachStream(reader, strFile, [this](const LoadedStream& stream) {
        if (stream.state != LoadedStream::kLoaded) {
          m_out << stream.pSpec->pszName << ": " << (stream.state == LoadedStream::kMissing ? "missing" : "failed")
                << "\n";
        }
        WriteStreamSummary(m_out, stream, m_options.codePage);
      });
    }
    return m_status;
  }

  int Diff() {
    ReportReader before(m_host), after(m_host);
    std::string strError;
    if (!before.Open(m_options.files[0], strError)) Fail(m_options.files[0], strError);
    if (!after.Open(m_options.files[1], strError)) Fail(m_options.files[1], strError);
    if (m_status != kExitOk) return m_status;
    std::vector<CategoryDiff> diffs;
    for (const StreamSpec& spec : ReportStreams()) {
      // One stream of each file at a time, so only two graphs are held.
      std::vector<DiffItem> itemsBefore = DiffItems(LoadReported(before, m_options.files[0], spec));
      std::vector<DiffItem> itemsAfter = DiffItems(LoadReported(after, m_options.files[1], spec));
      std::string strCategory = spec.pClass == ReportStreams()[0].pClass   ? "devices"
                                : spec.pClass == ReportStreams()[1].pClass ? "services"
                                                                           : std::string("events ") + (spec.pszName + 6);
      diffs.push_back(CompareItems(strCategory, itemsBefore, itemsAfter));
    }
    if (m_options.mode == Mode::kDiffJson) {
      WriteDiffJson(m_out, diffs, m_options.codePage);
    } else {
      WriteDiffText(m_out, diffs, m_options.codePage);
    }
    return m_status;
  }

 private:
  template <class Fn>
  void ForEachStream(ReportReader& reader, const std::string& strFile, Fn&& fn) {
    for (const StreamSpec& spec : ReportStreams()) {
      if (m_options.pOnlyStream != nullptr && m_options.pOnlyStream != &spec) continue;
      fn(LoadReported(reader, strFile, spec));
    }
  }

  LoadedStream LoadReported(ReportReader& reader, const std::string& strFile, const StreamSpec& spec) {
    LoadedStream stream = reader.Load(spec);
    if (!stream.strProblem.empty()) Fail(strFile, stream.strProblem);
    return stream;
  }

  void Fail(const std::string& strFile, const std::string& strProblem) {
    m_err << "tovdump: " << strFile << ": " << strProblem << "\n";
    m_status = kExitLoadFailure;
  }

  const Options& m_options;
  ReaderHost m_host;
  std::ostream& m_out;
  std::ostream& m_err;
  int m_status = kExitOk;
};

}  // namespace

int RunTovdump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  std::string strError;
  if (!ParseArgs(args, options, strError)) {
    err << "tovdump: " << strError << "\n" << kUsage;
    return kExitUsage;
  }
  Run run(options, out, err);
  return options.mode == Mode::kDiffJson || options.mode == Mode::kDiffText ? run.Diff() : run.Dump();
}

}  // namespace tovdump
