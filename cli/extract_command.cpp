#include "cli/extract_command.h"

#include <memory>
#include <optional>

#include "app/extract/url_scanner.h"
#include "app/extract/wildcard_filter.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int RunExtract(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  ExtractOptions options;
  std::u16string filter;
  std::string file;
  bool utf8 = false;
  std::string url, caFile;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    const std::string* v = nullptr;
    if (a == "--full-width") {
      options.fullWidth = true;
    } else if (a == "--no-line-break") {
      options.notReturnSearch = true;
    } else if (a == "--mode" && (v = value())) {
      if (*v == "text")
        options.mode = ExtractMode::Text;
      else if (*v == "html")
        options.mode = ExtractMode::Html;
      else if (*v == "url")
        options.mode = ExtractMode::Download;
      else {
        std::fprintf(err, "cardo-cli extract: unknown mode \"%s\" (text, html or url)\n",
                     v->c_str());
        return 2;
      }
    } else if (a == "--protocol" && (v = value())) {
      options.protocol = Utf8ToUtf16(*v);
    } else if (a == "--filter" && (v = value())) {
      filter = Utf8ToUtf16(*v);
    } else if (a == "--base" && (v = value())) {
      options.baseUrlBox = Utf8ToUtf16(*v);
    } else if (a == "--page-url" && (v = value())) {
      options.pageUrl = Utf8ToUtf16(*v);
    } else if (a == "--input-encoding" && (v = value())) {
      if (*v == "utf-8")
        utf8 = true;
      else if (*v != "cp932") {
        std::fprintf(err, "cardo-cli extract: unknown encoding \"%s\" (cp932 or utf-8)\n",
                     v->c_str());
        return 2;
      }
    } else if (a == "--url" && (v = value())) {
      url = *v;
    } else if (a == "--ca-file" && (v = value())) {
      caFile = *v;
    } else if (!a.empty() && a[0] != '-' && file.empty()) {
      file = a;
    } else {
      std::fprintf(err, "cardo-cli extract: unexpected \"%s\"\n", a.c_str());
      return 2;
    }
  }
  // The page downloaded as the dialog's download mode does, then scanned in that mode with
  // the address it finally came from.
  std::optional<FetchedPage> page;
  if (!url.empty()) {
    if (!file.empty()) {
      std::fprintf(err, "cardo-cli extract: --url and FILE together\n");
      return 2;
    }
    std::optional<FetchedPage> fetched = FetchPage(url, caFile, err);
    if (!fetched) return 1;
    page.emplace(std::move(*fetched));
    file = page->path;
    options.mode = ExtractMode::Download;
    options.pageUrl = page->finalUrl;
    options.encoding = page->encoding;
    utf8 = false;
  }
  if (file.empty()) {
    std::fprintf(err, "cardo-cli extract: no FILE given\n");
    return 2;
  }
  std::unique_ptr<std::FILE, FileCloser> in(std::fopen(file.c_str(), "rb"));
  if (!in) {
    std::fprintf(err, "cardo-cli extract: cannot read \"%s\"\n", file.c_str());
    return 1;
  }

  std::string buffered;
  std::string batch;
  const CandidateSink print = [&](const std::u16string& url) {
    const int count = FilterAppendCount(filter, url);
    if (count == 0) return;
    const std::string line = Utf16ToUtf8(url) + "\n";
    for (int n = 0; n < count; ++n) batch += line;
    if (batch.size() > (1 << 16)) {
      std::fwrite(batch.data(), 1, batch.size(), out);
      batch.clear();
    }
  };
  if (utf8) {
    std::string bytes;
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in.get())) > 0) bytes.append(chunk, n);
    buffered = WideToAnsi(Utf8ToUtf16(bytes));
    TextLineSource source(buffered);
    ExtractUrls(source, options, print);
  } else {
    FileLineSource source(in.get());
    ExtractUrls(source, options, print);
  }
  std::fwrite(batch.data(), 1, batch.size(), out);
  if (std::ferror(in.get())) {
    std::fprintf(err, "cardo-cli extract: reading \"%s\" failed\n", file.c_str());
    return 1;
  }
  return 0;
}

}  // namespace cardo::cli
