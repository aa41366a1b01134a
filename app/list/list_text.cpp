#include "app/list/list_text.h"

#include <algorithm>
#include <limits>

#include "app/platform/codec.h"
#include "app/platform/text.h"

namespace cardo {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool IsSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Whether UTF-16 text holds a surrogate without its partner or a NUL.
bool HasInvalidUnits(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 0) return true;
    if (!IsSurrogate(c)) continue;
    if (c >= 0xDC00 || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
      return true;
    }
    ++i;
  }
  return false;
}

// Whether `head` starts with a byte order mark, or may yet once more bytes come.
bool MayBeMark(std::string_view head) {
  for (const std::string_view mark : {kUtf8Mark, kUtf16LeMark, kUtf16BeMark}) {
    if (head.starts_with(mark) || mark.starts_with(head)) return true;
  }
  return false;
}

// A line cut on bytes, decoded; `invalid` tells whether it held bytes that are no characters.
std::u16string DecodedByteLine(const std::string& raw, bool utf8, bool& invalid) {
  // ASCII is itself in both encodings: most lines of most lists need no codec, which costs
  // three quarters of an export's time.
  if (std::all_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) == 0; })) {
    invalid = raw.find('\0') != std::string::npos;
    return std::u16string(raw.begin(), raw.end());
  }
  std::u16string line = utf8 ? Utf8ToUtf16(raw) : AnsiToWide(raw);
  invalid = (utf8 ? !ScanUtf8(raw, false).valid : WideToAnsi(line) != raw) ||
            raw.find('\0') != std::string::npos;
  return line;
}

}  // namespace

std::vector<std::u16string> SplitListText(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::u16string BuildListText(const std::vector<std::u16string>& lines) {
  return BuildListText(lines, ListFileFormat{});
}

std::u16string BuildListText(const std::vector<std::u16string>& lines,
                             const ListFileFormat& format) {
  const std::u16string_view end = format.lineEnd == LineEnd::CrLf ? u"\r\n"
                                  : format.lineEnd == LineEnd::Lf ? u"\n"
                                                                  : u"\r";
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + end.size();
  std::u16string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || format.finalLineEnd || lines[i].empty()) text += end;
  }
  return text;
}

std::string ListTextBytes(std::u16string_view text, const ListFileFormat& format) {
  switch (format.encoding) {
    case ListEncoding::Cp932:
      return WideToAnsi(text);
    case ListEncoding::Utf8:
      return (format.byteOrderMark ? std::string(kUtf8Mark) : std::string()) + Utf16ToUtf8(text);
    case ListEncoding::Utf16Le:
    case ListEncoding::Utf16Be:
      break;
  }
  const bool little = format.encoding == ListEncoding::Utf16Le;
  std::string bytes;
  if (format.byteOrderMark) bytes = little ? kUtf16LeMark : kUtf16BeMark;
  bytes.reserve(bytes.size() + text.size() * 2);
  for (const char16_t c : text) {
    const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
    bytes.push_back(little ? low : high);
    bytes.push_back(little ? high : low);
  }
  return bytes;
}

ListTextReader::ListTextReader(std::size_t maxLines, std::size_t maxBytes,
                               std::optional<ListEncoding> forced)
    : maxLines_(maxLines), maxBytes_(maxBytes), forced_(forced) {}

ListTextReader::ListTextReader(std::optional<ListEncoding> forced, ListLineSink take)
    : ListTextReader(std::numeric_limits<std::size_t>::max(),
                     std::numeric_limits<std::size_t>::max(), forced) {
  take_ = std::move(take);
}

bool ListTextReader::Feed(std::string_view chunk) {
  if (!started_) {
    // A byte order mark may come cut between pieces: wait for its three bytes.
    head_.append(chunk);
    if (head_.size() < kUtf8Mark.size() && MayBeMark(head_)) return true;
    const std::string head = std::move(head_);
    return DecideStart(head);
  }
  return units_ ? FeedUnits(chunk) : FeedBytes(chunk);
}

bool ListTextReader::DecideStart(std::string_view bytes) {
  started_ = true;
  ListFileFormat& format = out_.format;
  const bool sniff = forced_ != ListEncoding::Cp932;
  if (sniff && bytes.starts_with(kUtf8Mark)) {
    format.encoding = ListEncoding::Utf8;
    format.byteOrderMark = true;
    return FeedBytes(bytes.substr(kUtf8Mark.size()));
  }
  if (sniff && !forced_ && (bytes.starts_with(kUtf16LeMark) || bytes.starts_with(kUtf16BeMark))) {
    format.encoding =
        bytes.starts_with(kUtf16LeMark) ? ListEncoding::Utf16Le : ListEncoding::Utf16Be;
    format.byteOrderMark = true;
    units_ = true;
    return FeedUnits(bytes.substr(kUtf16LeMark.size()));
  }
  if (forced_) format.encoding = *forced_;
  return FeedBytes(bytes);
}

bool ListTextReader::Full() {
  if (stopped_) return true;
  const std::size_t count = units_ ? out_.lines.size() : byteLines_.size();
  if (count < maxLines_) return false;
  out_.more = true;
  return true;
}

void ListTextReader::NoteLineEnd(bool cr) {
  if (lineEnds_++ == 0) out_.format.lineEnd = cr ? LineEnd::Cr : LineEnd::Lf;
}

// Code page 932 trail bytes and UTF-8 sequences never hold CR or LF, so lines are cut on bytes
// and decoded once the encoding is known.
bool ListTextReader::FeedBytes(std::string_view chunk) {
  for (std::size_t i = 0; i < chunk.size();) {
    if (afterCr_ && chunk[i] == '\n') {
      afterCr_ = false;
      if (lineEnds_ == 1) out_.format.lineEnd = LineEnd::CrLf;
      ++i;
      continue;
    }
    afterCr_ = false;
    if (Full()) return false;
    const std::size_t end = chunk.find_first_of("\r\n", i);
    const std::size_t stop = end == std::string_view::npos ? chunk.size() : end;
    byteLine_.append(chunk.substr(i, stop - i));
    kept_ += stop - i;
    if (kept_ > maxBytes_) {
      out_.tooLarge = true;
      return false;
    }
    if (end == std::string_view::npos) return true;
    EndByteLine();
    afterCr_ = chunk[end] == '\r';
    NoteLineEnd(afterCr_);
    i = end + 1;
  }
  return true;
}

void ListTextReader::EndByteLine() {
  const Utf8Shape shape = ScanUtf8(byteLine_, false);
  utf8Valid_ = utf8Valid_ && shape.valid;
  utf8Multibyte_ = utf8Multibyte_ || shape.multibyte;
  if (take_) {
    HandByteLine();
  } else {
    byteLines_.push_back(std::move(byteLine_));
  }
  byteLine_.clear();
}

void ListTextReader::HandByteLine() {
  ListFileFormat& format = out_.format;
  // The first line beyond ASCII decides what nothing decided before it.
  if (!forced_ && !format.byteOrderMark && !decidedEarly_ && (utf8Multibyte_ || !utf8Valid_)) {
    format.encoding = utf8Valid_ ? ListEncoding::Utf8 : ListEncoding::Cp932;
    decidedEarly_ = true;
  }
  bool invalid = false;
  const std::u16string line =
      DecodedByteLine(byteLine_, format.encoding == ListEncoding::Utf8, invalid);
  Hand(line, invalid);
}

void ListTextReader::Hand(std::u16string_view line, bool undecodable) {
  ++handed_;
  if (undecodable && out_.undecodableLines++ == 0) out_.firstUndecodable = handed_;
  if (!take_(line, undecodable)) stopped_ = true;
}

bool ListTextReader::FeedUnits(std::string_view chunk) {
  const bool little = out_.format.encoding == ListEncoding::Utf16Le;
  auto take = [&](unsigned char first, unsigned char second) {
    const auto unit = static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
    if (afterCr_ && unit == u'\n') {
      afterCr_ = false;
      if (lineEnds_ == 1) out_.format.lineEnd = LineEnd::CrLf;
      return true;
    }
    afterCr_ = false;
    if (Full()) return false;
    if (unit == u'\r' || unit == u'\n') {
      EndUnitLine();
      afterCr_ = unit == u'\r';
      NoteLineEnd(afterCr_);
      return true;
    }
    unitLine_.push_back(unit);
    kept_ += 2;
    if (kept_ <= maxBytes_) return true;
    out_.tooLarge = true;
    return false;
  };
  std::size_t i = 0;
  if (oddByte_ && !chunk.empty()) {
    const unsigned char first = *oddByte_;
    oddByte_.reset();
    if (!take(first, static_cast<unsigned char>(chunk[0]))) return false;
    i = 1;
  }
  for (; i + 1 < chunk.size(); i += 2) {
    if (!take(static_cast<unsigned char>(chunk[i]), static_cast<unsigned char>(chunk[i + 1]))) {
      return false;
    }
  }
  if (i < chunk.size()) oddByte_ = static_cast<unsigned char>(chunk[i]);
  return true;
}

void ListTextReader::EndUnitLine(bool cut) {
  const bool invalid = cut || HasInvalidUnits(unitLine_);
  if (take_) {
    Hand(unitLine_, invalid);
    unitLine_.clear();
    return;
  }
  if (invalid && out_.undecodableLines++ == 0) out_.firstUndecodable = out_.lines.size() + 1;
  out_.lines.push_back(std::move(unitLine_));
  unitLine_.clear();
}

ListFileLines ListTextReader::Finish() {
  if (!started_) {
    const std::string head = std::move(head_);
    DecideStart(head);
  }
  if (out_.tooLarge) return std::move(out_);
  if (units_) {
    // A byte left over is half a code unit: the file was cut, and saving cannot restore it.
    if (oddByte_) unitLine_.push_back(u'\uFFFD');
    if (!unitLine_.empty() && !Full()) {
      out_.format.finalLineEnd = false;
      EndUnitLine(oddByte_.has_value());
    }
    return std::move(out_);
  }
  if (!byteLine_.empty() && !Full()) {
    out_.format.finalLineEnd = false;
    EndByteLine();
  }
  ListFileFormat& format = out_.format;
  if (!forced_ && !format.byteOrderMark && !decidedEarly_ && utf8Valid_ && utf8Multibyte_) {
    format.encoding = ListEncoding::Utf8;
  }
  const bool utf8 = format.encoding == ListEncoding::Utf8;
  out_.lines.reserve(byteLines_.size());
  for (std::string& raw : byteLines_) {
    bool invalid = false;
    out_.lines.push_back(DecodedByteLine(raw, utf8, invalid));
    if (invalid && out_.undecodableLines++ == 0) out_.firstUndecodable = out_.lines.size();
    std::string().swap(raw);
  }
  byteLines_.clear();
  return std::move(out_);
}

void ListEncodingJudge::Feed(std::string_view chunk) {
  if (head_.size() < kUtf8Mark.size()) {
    head_.append(chunk.substr(0, kUtf8Mark.size() - head_.size()));
  }
  // Line ends are ASCII, so the text is valid UTF-8 exactly when each of its lines is: the
  // lines ended so far are judged at once, the one cut off waits for the rest.
  const std::size_t first = chunk.find_first_of("\r\n");
  if (first == std::string_view::npos) {
    line_.append(chunk);
    return;
  }
  line_.append(chunk.substr(0, first));
  Judge(line_);
  const std::size_t last = chunk.find_last_of("\r\n");
  Judge(chunk.substr(first, last - first));
  line_.assign(chunk.substr(last + 1));
}

void ListEncodingJudge::Judge(std::string_view lines) {
  const Utf8Shape shape = ScanUtf8(lines, false);
  valid_ = valid_ && shape.valid;
  multibyte_ = multibyte_ || shape.multibyte;
}

std::optional<ListEncoding> ListEncodingJudge::Encoding() const {
  if (head_.starts_with(kUtf8Mark) || head_.starts_with(kUtf16LeMark) ||
      head_.starts_with(kUtf16BeMark)) {
    return std::nullopt;
  }
  const Utf8Shape shape = ScanUtf8(line_, false);
  return valid_ && shape.valid && (multibyte_ || shape.multibyte) ? ListEncoding::Utf8
                                                                  : ListEncoding::Cp932;
}

ListFileLines ForEachListLine(std::string_view bytes, std::optional<ListEncoding> forced,
                              const ListLineSink& take) {
  // Without a mark the whole text decides, as Finish decides from every line.
  if (!forced) {
    ListEncodingJudge judge;
    judge.Feed(bytes);
    forced = judge.Encoding();
  }
  ListTextReader reader(forced, take);
  reader.Feed(bytes);
  return reader.Finish();
}

ListFileLines DecodeListText(std::string_view bytes, std::optional<ListEncoding> forced) {
  constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
  ListTextReader reader(kNoLimit, kNoLimit, forced);
  reader.Feed(bytes);
  return reader.Finish();
}

}  // namespace cardo
