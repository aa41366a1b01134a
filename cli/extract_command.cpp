#include "cli/extract_command.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include "app/extract/url_scanner.h"
#include "app/extract/wildcard_filter.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

constexpr std::size_t kBlock = 1 << 16;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The length of `bytes` without an unfinished UTF-8 sequence at its end.
std::size_t WholeUtf8(std::string_view bytes) {
  std::size_t back = 0;
  while (back < 4 && back < bytes.size() &&
         (static_cast<unsigned char>(bytes[bytes.size() - 1 - back]) & 0xC0) == 0x80) {
    ++back;
  }
  if (back == bytes.size()) return bytes.size();
  const auto lead = static_cast<unsigned char>(bytes[bytes.size() - 1 - back]);
  const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > back + 1 ? bytes.size() - 1 - back : bytes.size();
}

// A UTF-8 file read as the scanner's code page lines, converted a block at a time: a long line
// is held once, as codes, never as the file, its UTF-16 form and its code page form at once.
class Utf8LineSource final : public LineSource {
 public:
  Utf8LineSource(std::FILE* file, std::string first) : file_(file), carry_(std::move(first)) {}
  bool Next(std::string& line) override {
    CodeText codes;
    if (!NextCodes(codes)) return false;
    line = EncodeCodePage(codes);
    return true;
  }
  bool NextCodes(CodeText& codes) override {
    codes.clear();
    bool any = false;
    for (;;) {
      const std::size_t cr = pending_.find(u'\r', at_);
      if (cr != CodeText::npos && (cr + 1 < pending_.size() || eof_)) {
        codes.append(pending_, at_, cr - at_);
        at_ = cr + 1;
        if (at_ < pending_.size() && pending_[at_] == u'\n') ++at_;
        return true;
      }
      const std::size_t end = cr != CodeText::npos ? cr : pending_.size();
      if (end > at_) {
        Reserve(codes, end - at_);
        codes.append(pending_, at_, end - at_);
        at_ = end;
        any = true;
      }
      if (!Fill()) return any || at_ < pending_.size();
    }
  }

 private:
  bool Fill() {
    if (eof_) return false;
    pending_.erase(0, at_);
    at_ = 0;
    char chunk[1 << 16];
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, file_);
    if (n == 0) eof_ = true;
    carry_.append(chunk, n);
    const std::size_t whole = eof_ ? carry_.size() : WholeUtf8(carry_);
    pending_ += DecodeCodePage(WideToAnsi(Utf8ToUtf16(std::string_view(carry_).substr(0, whole))));
    carry_.erase(0, whole);
    return n > 0 || !pending_.empty();
  }
  // A long line gets room for the rest of the file at once (a UTF-8 file never has more
  // characters than bytes), so it is never held in two buffers while one grows.
  void Reserve(CodeText& codes, std::size_t more) {
    if (codes.size() + more <= codes.capacity() || codes.size() < (1u << 20)) return;
    const long here = std::ftell(file_);
    long end = -1;
    if (here >= 0 && std::fseek(file_, 0, SEEK_END) == 0) {
      end = std::ftell(file_);
      std::fseek(file_, here, SEEK_SET);
    }
    codes.reserve(end > here ? codes.size() + more + static_cast<std::size_t>(end - here)
                             : 2 * (codes.size() + more));
  }

  std::FILE* file_;
  std::string carry_;  // bytes read but not yet converted (an unfinished character)
  CodeText pending_;
  std::size_t at_ = 0;
  bool eof_ = false;
};

// The first bytes of `in` when they are not a byte order mark (handed back to the caller).
std::string SkipBom(std::FILE* in) {
  std::string first(kUtf8Bom.size(), '\0');
  first.resize(std::fread(first.data(), 1, first.size(), in));
  return first == kUtf8Bom ? std::string() : first;
}

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
  std::unique_ptr<std::FILE, FileCloser> in(OpenInput(file, "extract", err));
  if (!in) return 1;
  std::string first = SkipBom(in.get());
  if (!utf8 && !first.empty() && std::fseek(in.get(), 0, SEEK_SET) != 0) {
    ReportReadError(file, "extract", err);
    return 1;
  }

  const CompiledFilter compiled(filter);
  std::string batch;
  bool writeFailed = false;
  auto writeBatch = [&] {
    if (!batch.empty() && std::fwrite(batch.data(), 1, batch.size(), out) != batch.size()) {
      writeFailed = true;
    }
    batch.clear();
  };
  const CandidateSink print = [&](std::u16string_view url) {
    if (writeFailed) return;
    const int count = compiled.AppendCount(url);
    if (count == 0) return;
    for (int n = 0; n < count; ++n) {
      // A long URL goes out a block at a time, never as a whole second copy.
      for (std::u16string_view rest = url; !rest.empty();) {
        std::size_t take = std::min<std::size_t>(rest.size(), kBlock);
        if (take < rest.size() && rest[take - 1] >= 0xD800 && rest[take - 1] <= 0xDBFF) --take;
        batch += Utf16ToUtf8(rest.substr(0, take));
        rest.remove_prefix(take);
        if (batch.size() > kBlock) writeBatch();
      }
      batch += '\n';
    }
    if (batch.size() > kBlock) writeBatch();
  };
  bool outOfMemory = false;
  try {
    if (utf8) {
      Utf8LineSource source(in.get(), std::move(first));
      ExtractUrls(source, options, print);
    } else {
      FileLineSource source(in.get());
      ExtractUrls(source, options, print);
    }
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  }
  writeBatch();
  if (!FinishOutput(out, false, "standard output", "extract", err)) return 1;
  if (outOfMemory) {
    ReportOutOfMemory("extract", err);
    return 1;
  }
  if (std::ferror(in.get())) {
    ReportReadError(file, "extract", err);
    return 1;
  }
  return 0;
}

}  // namespace cardo::cli
