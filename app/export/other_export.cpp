// The third manager's files: a plain list, aria2's input file, curl's config, JDownloader's
// folder-watch jobs and Metalink 4.
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/export/download_plan.h"
#include "app/export/export.h"
#include "app/export/export_url.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

// A curl config string: quoted, with its backslashes and quotes escaped, and the controls
// curl has escapes for written as them (a line break would end the line).
std::string CurlQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const char* escape = c == '\t'   ? "\\t"
                         : c == '\r' ? "\\r"
                         : c == '\n' ? "\\n"
                         : c == '\v' ? "\\v"
                                     : nullptr;
    if (escape) {
      quoted += escape;
      continue;
    }
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + '"';
}

// The words of an argument template as the program started on it reads its command line
// (CommandLineToArgvW's rules: blanks between words, quotes around blanks, backslashes
// doubled before a quote).
std::vector<std::u16string> ArgumentWords(std::u16string_view text) {
  std::vector<std::u16string> words;
  std::u16string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if ((c == u' ' || c == u'\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == u'\\') {
      std::size_t slashes = 0;
      while (i < text.size() && text[i] == u'\\') ++slashes, ++i;
      if (i < text.size() && text[i] == u'"') {
        word.append(slashes / 2, u'\\');
        if (slashes % 2 == 1) {
          word.push_back(u'"');
          continue;
        }
      } else {
        word.append(slashes, u'\\');
      }
      --i;
      continue;
    }
    if (c == u'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        word.push_back(u'"');
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    word.push_back(c);
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

bool IsOptionWord(std::u16string_view word) {
  return word.size() > 1 && word[0] == u'-';
}

// `words` as curl config lines: each option with the word after it as its value unless that
// word is an option itself ("-" alone is a value: standard input or output). An option that
// is no printable ASCII word is left out with its value, as is a word that is no option.
std::string ConfigLines(const std::vector<std::u16string>& words) {
  std::string lines;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (!IsOptionWord(words[i])) continue;
    const std::string option = Utf16ToUtf8(words[i]);
    const bool value = i + 1 < words.size() && !IsOptionWord(words[i + 1]);
    const std::string valueText = value ? Utf16ToUtf8(words[++i]) : std::string();
    if (option.find_first_of("\" ") != std::string::npos ||
        std::any_of(option.begin(), option.end(), [](char c) { return c < 0x21 || c > 0x7E; })) {
      continue;
    }
    lines += option + (value ? " " + CurlQuoted(valueText) : std::string()) + "\r\n";
  }
  return lines;
}

// The options of the curl template around the file it reads ("-K %1"): curl takes those
// before it into the file's first part and those after it into its last, so each "next"
// of the file carries them into the parts between.
struct CarriedOptions {
  std::string before, after;
};
CarriedOptions CurlCarriedOptions(std::u16string_view arguments) {
  const std::vector<std::u16string> words = ArgumentWords(arguments);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const bool attached = words[i] == u"-K%1";
    const bool pair = i + 1 < words.size() && (words[i] == u"-K" || words[i] == u"--config") &&
                      words[i + 1] == u"%1";
    if (!attached && !pair) continue;
    const std::size_t rest = i + (pair ? 2 : 1);
    return {ConfigLines({words.begin(), words.begin() + static_cast<std::ptrdiff_t>(i)}),
            ConfigLines({words.begin() + static_cast<std::ptrdiff_t>(rest), words.end()})};
  }
  return {};
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

// An XML comment cannot hold "--": each "-" of the line is written as its escape.
std::string XmlComment(std::string_view url) {
  std::string out = "<!-- ";
  for (const char c : url) out += c == '-' ? std::string("%2D") : std::string(1, c);
  return out + " -->";
}

class Writer {
 public:
  Writer(ExportFormat format, const ExportOptions& options)
      : format_(format),
        folder_(Utf16ToUtf8(options.folder)),
        createDirs_(!options.folder.empty() || options.names == NameRule::Folders),
        carried_(format == ExportFormat::Curl ? CurlCarriedOptions(options.arguments)
                                              : CarriedOptions{}) {}
  void Header() {
    if (format_ == ExportFormat::Curl) CurlHeader();
    if (format_ == ExportFormat::Meta4) {
      text_ +=
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
          "<metalink xmlns=\"urn:ietf:params:xml:ns:metalink\">\r\n";
    }
  }
  void Comment(const std::string& url) {
    text_ += format_ == ExportFormat::Meta4 ? "  " + XmlComment(url) + "\r\n" : "# " + url + "\r\n";
  }
  void Add(const PlannedDownload& e) {
    switch (format_) {
      case ExportFormat::Aria2:
        text_ += e.url + "\r\n";
        if (!folder_.empty()) text_ += " dir=" + folder_ + "\r\n";
        text_ += " out=" + e.name + "\r\n";
        if (!e.referer.empty()) text_ += " referer=" + e.referer + "\r\n";
        break;
      case ExportFormat::Curl:
        if (e.referer != referer_) {
          // curl's options hold for its whole run up to "next": a Referer of its own starts a
          // run of its own, which needs the header again and the template's options.
          if (started_) {
            text_ += carried_.after + "next\r\n" + carried_.before;
            CurlHeader();
          }
          if (!e.referer.empty()) text_ += "referer = " + CurlQuoted(e.referer) + "\r\n";
          referer_ = e.referer;
        }
        text_ += "url = " + CurlQuoted(e.url) + "\r\noutput = " + CurlQuoted(e.name) + "\r\n";
        break;
      case ExportFormat::Crawljob: {
        const std::size_t slash = e.name.rfind('/');
        std::string folder = folder_;
        if (slash != std::string::npos) {
          folder += (folder.empty() ? "" : "/") + e.name.substr(0, slash);
        }
        if (started_) text_ += "\r\n";
        text_ += "text=" + e.url + "\r\nfilename=" + e.name.substr(slash + 1) + "\r\n";
        if (!folder.empty()) text_ += "downloadFolder=" + folder + "\r\n";
        text_ += "packageName=Cardo\r\nautoStart=TRUE\r\n";
        break;
      }
      case ExportFormat::Meta4:
        text_ += "  <file name=\"" + XmlEscaped(e.name) + "\">\r\n    <url>" + XmlEscaped(e.url) +
                 "</url>\r\n  </file>\r\n";
        break;
      default:
        break;
    }
    started_ = true;
  }
  // The text written since the last Take.
  std::string Take() { return std::exchange(text_, {}); }
  std::string Finish() {
    if (format_ == ExportFormat::Meta4) text_ += "</metalink>\r\n";
    return Take();
  }

 private:
  void CurlHeader() {
    // No globbing of "[]" and "{}"; no scheme beyond those a list of downloads holds, for the
    // URLs and for where they redirect (a file:// there reads the user's own files). A
    // redirect is followed, as a browser and aria2 do, and an HTTP error is a failure whose
    // page is not kept: else a moved file is saved as its empty redirect and a missing one as
    // the server's error page, under the file's name.
    const std::string protocols = CurlQuoted(CurlProtocols());
    text_ += "globoff\r\nproto = " + protocols + "\r\nproto-redir = " + protocols +
             "\r\nlocation\r\nfail\r\nremove-on-error\r\n";
    if (!folder_.empty()) text_ += "output-dir = " + CurlQuoted(folder_) + "\r\n";
    if (createDirs_) text_ += "create-dirs\r\n";
  }

  ExportFormat format_;
  std::string folder_;
  bool createDirs_;
  CarriedOptions carried_;
  std::string text_;
  std::string referer_;
  bool started_ = false;
};

}  // namespace

bool IsWritableFolder(std::u16string_view folder) {
  for (const char16_t c : folder) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

struct OtherExportWriter::State {
  State(ExportFormat format, const ExportOptions& options)
      : plain(format == ExportFormat::Plain), writer(format, options), planner(format, options) {}
  const bool plain;
  Writer writer;
  DownloadPlanner planner;
};

OtherExportWriter::OtherExportWriter(ExportFormat format, const ExportOptions& options)
    : state_(std::make_unique<State>(format, options)) {}

OtherExportWriter::~OtherExportWriter() = default;

bool OtherExportWriter::NeedsReserve() const {
  return !state_->plain && state_->planner.NeedsReserve();
}

void OtherExportWriter::Reserve(std::u16string_view line) {
  state_->planner.Reserve(line);
}

std::string OtherExportWriter::Begin() {
  if (state_->plain) return {};
  state_->writer.Header();
  return state_->writer.Take();
}

std::string OtherExportWriter::Line(std::u16string_view line) {
  if (state_->plain) {
    std::string url = OtherExportUrl(line);
    return url.empty() ? url : url + "\r\n";
  }
  const std::optional<PlannedDownload> planned = state_->planner.Plan(line);
  if (!planned) return {};
  // A line the tool must not fetch stays in the file as a comment: curl ends its whole run
  // at a text it cannot read as an address ("out=x" among them), and aria2 opens a local
  // path as a torrent or metalink file.
  if (planned->fetched) {
    state_->writer.Add(*planned);
  } else {
    state_->writer.Comment(planned->url);
  }
  return state_->writer.Take();
}

std::string OtherExportWriter::End() {
  return state_->plain ? std::string() : state_->writer.Finish();
}

std::string OtherExportText(ExportFormat format, const std::vector<std::u16string>& lines,
                            const ExportOptions& options) {
  OtherExportWriter writer(format, options);
  if (writer.NeedsReserve()) {
    for (const auto& line : lines) writer.Reserve(line);
  }
  std::string text = writer.Begin();
  for (const auto& line : lines) text += writer.Line(line);
  return text + writer.End();
}

}  // namespace cardo
