#include "app/extract/html_line_form.h"

#include <bit>
#include <cstdint>

#include "app/extract/absolute_pass.h"
#include "app/platform/code_page_932.h"

namespace cardo {
namespace {

// Where a line's quoted attribute values lie ("=", optional blanks, a quote, up to the same
// quote on that line), fed the line's characters in order.
class QuotedValues {
 public:
  bool InValue() const { return state_ == State::InValue; }
  // Whether only one character can change the state.
  bool Settled() const { return state_ != State::AfterEquals; }
  // The one character that changes a settled state.
  char16_t Awaited() const { return state_ == State::InValue ? quote_ : u'='; }
  void Feed(char16_t c) {
    switch (state_) {
      case State::InValue:
        if (c == quote_) state_ = State::Outside;
        return;
      case State::AfterEquals:
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\f') return;
        if (c == u'"' || c == u'\'') {
          quote_ = c;
          state_ = State::InValue;
          return;
        }
        break;
      case State::Outside:
        break;
    }
    state_ = c == u'=' ? State::AfterEquals : State::Outside;
  }

 private:
  enum class State { Outside, AfterEquals, InValue };
  State state_ = State::Outside;
  char16_t quote_ = 0;
};

constexpr char16_t kIdeographicSpace = 0x8140;

// The high bit of each of eight ASCII bytes (the first byte lowest) that is `c`.
std::uint64_t BytesEqualTo(std::uint64_t eight, char16_t c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  // Exact for bytes below 0x80: a zero byte of v, and only that, sets its high bit.
  const std::uint64_t v = eight ^ (kOnes * c);
  return (v - kOnes) & ~v & 0x8080808080808080ull;
}

// Feeds eight ASCII bytes: while the state is settled only one byte can change it ("=" outside
// a value, its quote inside one), so the walk jumps from one of those to the next.
void FeedEight(QuotedValues& quotes, const unsigned char* bytes, std::uint64_t eight) {
  static_assert(std::endian::native == std::endian::little);
  for (unsigned k = 0; k < 8;) {
    if (quotes.Settled()) {
      const std::uint64_t ahead = BytesEqualTo(eight, quotes.Awaited()) >> (8 * k) << (8 * k);
      if (!ahead) return;
      k = static_cast<unsigned>(std::countr_zero(ahead)) / 8;
    }
    quotes.Feed(bytes[k++]);
  }
}

}  // namespace

void CompactCharacters(std::string& bytes, CodeText& markers) {
  QuotedValues quotes;
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < size;) {
    std::uint64_t eight = 0;
    if (EightAscii(data, size, i, eight) && !BytesEqualTo(eight, u'\\')) {
      FeedEight(quotes, data + i, eight);
      if (n != i) std::memcpy(data + n, &eight, 8);
      n += 8;
      i += 8;
      continue;
    }
    const unsigned char b = data[i];
    if (b < 0x80) {
      // A script's JSON writes "/" as "\/": its URLs are read with their host.
      if (b == '\\' && i + 1 < size && data[i + 1] == '/') {
        ++i;
        continue;
      }
      quotes.Feed(b);
      data[n++] = b;
      ++i;
      continue;
    }
    const bool pair = IsCp932LeadByte(b) && i + 1 < size && IsCp932TrailByte(data[i + 1]);
    const char16_t code = pair ? static_cast<char16_t>(b << 8 | data[i + 1]) : b;
    if (quotes.InValue() && code != kIdeographicSpace) {
      markers.push_back(code);
      data[n++] = static_cast<unsigned char>(kMarkerUnit);
    } else {
      data[n++] = kNotUrlUnit;
    }
    quotes.Feed(code);
    i += pair ? 2 : 1;
  }
  bytes.resize(n);
}

}  // namespace cardo
