#include "app/scan/html_line_form.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "app/scan/absolute_pass.h"
#include "app/scan/url_characters.h"
#include "app/text/byte_search.h"
#include "app/text/utf8_text.h"

namespace cardo {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// Where a line's quoted attribute values lie ("=", optional blanks, a quote, up to the same
// quote on that line), fed the line's characters in order; and whether the value is a
// srcset's (its attribute's name told when "=" is fed).
class QuotedValues {
 public:
  bool Outside() const { return state_ == State::Outside; }
  bool InValue() const { return state_ == State::InValue; }
  bool InSrcset() const { return InValue() && srcset_; }
  // The quote that ends the value.
  char32_t Awaited() const { return quote_; }
  void Feed(char32_t c, bool srcsetName = false) {
    switch (state_) {
      case State::InValue:
        if (c == quote_) state_ = State::Outside;
        return;
      case State::AfterEquals:
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\f') return;
        if (c == u'"' || c == u'\'') {
          quote_ = c;
          state_ = State::InValue;
          srcset_ = srcsetNext_;
          return;
        }
        break;
      case State::Outside:
        break;
    }
    state_ = c == u'=' ? State::AfterEquals : State::Outside;
    srcsetNext_ = srcsetName;
  }

 private:
  enum class State { Outside, AfterEquals, InValue };
  State state_ = State::Outside;
  char32_t quote_ = 0;
  bool srcset_ = false;
  bool srcsetNext_ = false;
};

// A srcset value is a list of image candidates: a URL, then descriptors ("2x", "480w") up to
// a ",". A "," inside the URL belongs to it; one that ends the URL, and the descriptors, do not
// (a descriptor's "1.5x" would read as a reference).
class SrcsetCandidates {
 public:
  void Start() {
    part_ = Part::Between;
    depth_ = 0;
  }
  // The unit a character of the value stands as, given the character after it (0 at the
  // value's end); `unit` is what it would stand as in another value.
  unsigned char Unit(unsigned char c, unsigned char next, unsigned char unit) {
    switch (part_) {
      case Part::Between:
        if (IsBlank(c) || c == ',') return c;
        part_ = Part::Url;
        [[fallthrough]];
      case Part::Url:
        if (IsBlank(c)) {
          part_ = Part::Descriptors;
          return c;
        }
        if (c == ',' && (next == 0 || IsBlank(next) || next == ',')) {
          part_ = Part::Between;
          return c;
        }
        return unit;
      case Part::Descriptors:
        if (c == '(') ++depth_;
        if (c == ')' && depth_ > 0) --depth_;
        if (c == ',' && depth_ == 0) {
          part_ = Part::Between;
          return c;
        }
        return IsBlank(c) ? c : static_cast<unsigned char>(kNotUrlUnit);
    }
    return unit;
  }

 private:
  enum class Part { Between, Url, Descriptors };
  Part part_ = Part::Between;
  int depth_ = 0;
};

// Whether the attribute name that ends `before` (blanks aside) is "srcset", in any case.
bool NameIsSrcset(std::string_view before) {
  while (!before.empty() && IsBlank(static_cast<unsigned char>(before.back()))) {
    before.remove_suffix(1);
  }
  constexpr std::string_view kName = "srcset";
  if (before.size() < kName.size()) return false;
  const std::string_view name = before.substr(before.size() - kName.size());
  for (std::size_t k = 0; k < kName.size(); ++k) {
    if ((name[k] | 0x20) != kName[k]) return false;
  }
  const std::size_t at = before.size() - kName.size();
  return at == 0 || IsBlank(static_cast<unsigned char>(before[at - 1])) || before[at - 1] == '"' ||
         before[at - 1] == '\'';
}

// The next byte at or after `i` that can change the line's form or the state of `quotes`: in
// a value (not a srcset's) its quote, kValueUnits, "\\" and bytes beyond ASCII; outside one "=",
// "\\" and bytes beyond ASCII. Right after "=" and in a srcset value every byte counts.
std::size_t NextThatCounts(const QuotedValues& quotes, const unsigned char* data, std::size_t i,
                           std::size_t size) {
  constexpr char a = kValueUnits[0], b = kValueUnits[1], c = kValueUnits[2], d = kValueUnits[3];
  if (quotes.Outside()) return FindByteOf<true, '=', '\\'>(data, i, size);
  if (!quotes.InValue() || quotes.InSrcset()) return i;
  return quotes.Awaited() == u'"' ? FindByteOf<true, '"', a, b, c, d, '\\'>(data, i, size)
                                  : FindByteOf<true, '\'', a, b, c, d, '\\'>(data, i, size);
}

}  // namespace

void CompactCharacters(std::string& bytes) {
  QuotedValues quotes;
  SrcsetCandidates srcset;
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t n = 0;
  const auto written = [&] { return std::string_view(bytes.data(), n); };
  for (std::size_t i = 0; i < size;) {
    const std::size_t next = NextThatCounts(quotes, data, i, size);
    if (next != i) {
      if (n != i) std::memmove(data + n, data + i, next - i);
      n += next - i;
      i = next;
      if (i == size) break;
    }
    const unsigned char b = data[i];
    if (b < 0x80) {
      // A script's JSON writes "/" as "\\/": its URLs are read with their host.
      if (b == '\\' && i + 1 < size && data[i + 1] == '/') {
        ++i;
        continue;
      }
      unsigned char unit = b;
      if (quotes.InValue() && b != quotes.Awaited()) {
        for (std::size_t k = 0; k < std::size(kValueUnits); ++k) {
          if (b == kValueUnits[k]) unit = static_cast<unsigned char>(ValueUnit(k));
        }
        if (quotes.InSrcset()) {
          const unsigned char next =
              i + 1 < size && data[i + 1] != quotes.Awaited() ? data[i + 1] : 0;
          unit = srcset.Unit(b, next, unit);
        }
      }
      const bool wasInValue = quotes.InValue();
      quotes.Feed(b, b == '=' && NameIsSrcset(written()));
      if (!wasInValue && quotes.InSrcset()) srcset.Start();
      data[n++] = unit;
      ++i;
      continue;
    }
    // A character beyond ASCII: inside a value, and no space, its bytes are the URL's.
    const std::size_t length = Utf8SequenceLength(data, i, size);
    const char32_t c = length > 0 ? Utf8SequenceValue(data, i, length) : 0xFFFD;
    const bool inUrl = length > 0 && quotes.InValue() && !IsSpaceBeyondAscii(c) &&
                       (!quotes.InSrcset() || srcset.Unit('x', 0, 'x') != kNotUrlUnit);
    if (inUrl) {
      std::memmove(data + n, data + i, length);
      n += length;
    } else {
      data[n++] = kNotUrlUnit;
    }
    quotes.Feed(c);
    i += length > 0 ? length : 1;
  }
  bytes.resize(n);
}

}  // namespace cardo
