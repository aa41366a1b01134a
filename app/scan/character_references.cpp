#include "app/scan/character_references.h"

#include "app/scan/named_references.h"
#include "app/scan/url_characters.h"
#include "app/platform/text.h"
#include "app/platform/windows_1252.h"

namespace cardo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kLongestName = 32;

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsAsciiAlnum(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// A numeric reference to 0x80-0x9F stands for the windows-1252 character of that byte.
char32_t NumericCharacter(char32_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  if (value >= 0x80 && value <= 0x9F)
    return Windows1252Character(static_cast<unsigned char>(value));
  return value;
}

// The reference that starts with the "&" at text[at]: its length, or 0 when none stands there.
std::size_t ReadReference(std::u16string_view text, std::size_t at, NamedReference& read) {
  std::size_t i = at + 1;
  if (i < text.size() && text[i] == u'#') {
    const bool hex = i + 1 < text.size() && (text[i + 1] == u'x' || text[i + 1] == u'X');
    i += hex ? 2 : 1;
    const std::size_t digits = i;
    char32_t value = 0;
    for (; i < text.size(); ++i) {
      const int d = hex ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - u'0' : -1);
      if (d < 0) break;
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
    }
    if (i == digits || i >= text.size() || text[i] != u';') return 0;
    read = {NumericCharacter(value), 0};
    return i + 1 - at;
  }
  std::string name;
  for (; i < text.size() && IsAsciiAlnum(text[i]) && name.size() <= kLongestName; ++i) {
    name.push_back(static_cast<char>(text[i]));
  }
  if (name.empty() || i >= text.size() || text[i] != u';') return 0;
  read = LookUpNamedReference(name);
  return read.first ? i + 1 - at : 0;
}

// Spaces, and the typographic quotes and guillemets that stand around a URL in running text.
bool EndsUrl(char32_t c) {
  if (c < 0x80) return !IsAsciiUrlChar(c);
  return IsSpaceBeyondAscii(c) || (c >= 0x2018 && c <= 0x201F) || c == 0xAB || c == 0xBB ||
         c == 0x2039 || c == 0x203A;
}

// What a reference that ends the URL does: drop what was appended so far, stop there, or
// nothing (an attribute value is one URL whatever it holds).
enum class AtEnd { KeepLast, Stop, Read };

// Appends `text` to `out` with its references read.
void AppendRead(std::u16string_view text, std::u16string& out, AtEnd atEnd) {
  const std::size_t from = out.size();
  for (std::size_t i = 0; i < text.size();) {
    NamedReference read;
    const std::size_t length = text[i] == u'&' ? ReadReference(text, i, read) : 0;
    if (length == 0) {
      out.push_back(text[i++]);
      continue;
    }
    i += length;
    if (atEnd != AtEnd::Read && (EndsUrl(read.first) || (read.second && EndsUrl(read.second)))) {
      if (atEnd == AtEnd::Stop) return;
      out.resize(from);
      continue;
    }
    AppendUtf16(out, read.first);
    if (read.second) AppendUtf16(out, read.second);
  }
}

}  // namespace

std::u16string ReadCharacterReferences(std::u16string_view before, std::u16string_view after) {
  std::u16string out;
  out.reserve(before.size() + after.size());
  AppendRead(before, out, AtEnd::KeepLast);
  AppendRead(after, out, AtEnd::Stop);
  return out;
}

std::u16string ReadEveryCharacterReference(std::u16string_view text) {
  if (text.find(u'&') == std::u16string_view::npos) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  AppendRead(text, out, AtEnd::Read);
  return out;
}

}  // namespace cardo
