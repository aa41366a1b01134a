#include "app/export/download_plan.h"

#include <cstdio>

#include "app/export/download_names.h"
#include "app/export/export_url.h"
#include "app/platform/text.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

// The Referer a browser sends from the page at `page`, or empty when it sends none: it names
// only a web page, without the user information and the fragment (a file:// page would give
// away the user's folders).
std::string PageReferer(std::u16string_view page) {
  const auto url = ParseUrl(page);
  if (!url || !IsHttpUrl(*url)) return {};
  return Utf16ToUtf8(url->WithoutCredentials());
}

// The Referer for the list line `line`, read as `read`, as a browser sends it: without the
// user information and the fragment. Only a URL with an origin (http, https, ftp) has one.
std::string Referer(const ExportOptions& options, std::u16string_view line,
                    const ExportLine& read) {
  if (options.referer == RefererRule::Fixed) return OtherExportUrl(options.fixedReferer);
  if (options.referer == RefererRule::None || !read.url) return {};
  const Url& url = *read.url;
  const std::string origin = Utf16ToUtf8(url.Origin());
  if (origin.empty()) return {};
  switch (options.referer) {
    case RefererRule::Url:
      return Utf16ToUtf8(url.WithoutCredentials());
    case RefererRule::Page:
      if (options.pages != nullptr) {
        if (std::string referer = PageReferer(options.pages->PageOf(line)); !referer.empty()) {
          return referer;
        }
      }
      // A line no page is known of (typed, opened from a file) gets the folder rule's Referer,
      // the page such a file is most often linked from.
      [[fallthrough]];
    case RefererRule::Folder: {
      const std::u16string& path = url.Path();
      return origin + Utf16ToUtf8(std::u16string_view(path).substr(0, path.rfind(u'/') + 1));
    }
    case RefererRule::SiteRoot:
      return origin + "/";
    case RefererRule::None:
    case RefererRule::Fixed:
      break;
  }
  return {};
}

// The file a URL is saved to, relative to the download folder, "/" between folders. A line
// that is no URL is named from its last segment, in no folder.
std::string RelativeName(const ExportOptions& options, const ExportLine& read, int place) {
  const std::string path =
      read.url ? Utf16ToUtf8(read.url->Path()) : read.text.substr(0, read.text.find_first_of("?#"));
  const std::string server = DownloadFileName(path);
  if (options.names == NameRule::Numbered) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", options.numberWidth, place);
    return digits + server.substr(ExtensionAt(server));
  }
  if (options.names == NameRule::Server || !read.url) return server;
  // The host; its port's ":" becomes "_" as in any name.
  std::u16string host = read.url->Host();
  if (read.url->Port()) host += u":" + DecimalText(*read.url->Port());
  std::string name = SafeName(Utf16ToUtf8(host));
  if (name.empty()) name = "_";
  // The folders of the path (the URL has no "." or ".." segment left).
  for (std::size_t from = 1, slash = path.find('/', from); slash != std::string::npos;
       from = slash + 1, slash = path.find('/', from)) {
    if (std::string folder = SafeName(std::string_view(path).substr(from, slash - from));
        !folder.empty()) {
      name += "/" + folder;
    }
  }
  return name + "/" + server;
}

}  // namespace

DownloadPlanner::DownloadPlanner(ExportFormat format, const ExportOptions& options)
    : curl_(format == ExportFormat::Curl), options_(options) {}

bool DownloadPlanner::Fetched(const ExportLine& read) const {
  return read.scheme != nullptr && (curl_ ? read.scheme->curl : read.scheme->aria2);
}

void DownloadPlanner::Reserve(std::u16string_view line) {
  // A file of the name a folder has ("/noext" beside "/noext/") would stop the tool making
  // that folder: the folders are taken first, so the file is the one renamed.
  const ExportLine read = ReadExportLine(line);
  if (!Fetched(read)) return;
  const std::string name = RelativeName(options_, read, 0);
  for (std::size_t slash = name.find('/'); slash != std::string::npos;
       slash = name.find('/', slash + 1)) {
    names_.Reserve(name.substr(0, slash));
  }
}

std::optional<PlannedDownload> DownloadPlanner::Plan(std::u16string_view line) {
  ExportLine read = ReadExportLine(line);
  if (read.text.empty()) return std::nullopt;
  if (!Fetched(read)) return PlannedDownload{std::move(read.text), false, {}, {}};
  std::string name = names_.Claim(RelativeName(options_, read, ++place_));
  std::string referer = Referer(options_, line, read);
  return PlannedDownload{std::move(read.text), true, std::move(name), std::move(referer)};
}

std::vector<PlannedDownload> PlanDownloads(ExportFormat format,
                                           const std::vector<std::u16string>& lines,
                                           const ExportOptions& options) {
  DownloadPlanner planner(format, options);
  if (planner.NeedsReserve()) {
    for (const auto& line : lines) planner.Reserve(line);
  }
  std::vector<PlannedDownload> plan;
  for (const auto& line : lines) {
    if (auto planned = planner.Plan(line)) plan.push_back(std::move(*planned));
  }
  return plan;
}

}  // namespace cardo
