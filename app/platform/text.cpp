#include "app/platform/text.h"

namespace cardo {

Utf8Step DecodeUtf8At(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) return {b, 1};
  char32_t cp = 0;
  std::size_t len = 0;
  if ((b >> 5) == 0x6) {
    len = 2;
    cp = b & 0x1F;
  } else if ((b >> 4) == 0xE) {
    len = 3;
    cp = b & 0x0F;
  } else if ((b >> 3) == 0x1E) {
    len = 4;
    cp = b & 0x07;
  } else {
    return {0, 0};
  }
  if (i + len > text.size()) return {0, 0};
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c >> 6) != 0x2) return {0, 0};
    cp = (cp << 6) | (c & 0x3F);
  }
  // An overlong form (C0 AE for ".") would let bytes that look like no ASCII character
  // become one: "%C0%AE%C0%AE/" turning into "../" in a link.
  static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
  return {cp, len};
}

namespace {

// Whether `tail`, shorter than a sequence, is the start of a valid one: continuation bytes
// finish it. Only the second byte is constrained, so trying the lowest and the highest
// continuation byte covers every finish.
bool IsCutOffSequence(std::string_view tail) {
  if (tail.empty() || tail.size() >= 4) return false;
  for (const char pad : {'\x80', '\xBF'}) {
    std::string finished(tail);
    finished.append(3, pad);
    if (DecodeUtf8At(finished, 0).len > tail.size()) return true;
  }
  return false;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const Utf8Step step = DecodeUtf8At(text, i);
    if (step.len == 0) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    AppendUtf16(out, step.cp);
    i += step.len;
  }
  return out;
}

Utf8Shape ScanUtf8(std::string_view bytes, bool mayContinue) {
  Utf8Shape shape{true, false};
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const Utf8Step step = DecodeUtf8At(bytes, i);
    if (step.len == 0) {
      shape.valid = mayContinue && IsCutOffSequence(bytes.substr(i));
      return shape;
    }
    shape.multibyte = true;
    i += step.len;
  }
  return shape;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::vector<std::u16string_view> SplitAt(std::u16string_view text, std::u16string_view separator) {
  std::vector<std::u16string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::u16string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}

std::u16string DecimalText(long long value) {
  const std::string ascii = std::to_string(value);
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string GroupedDecimalText(long long value) {
  const std::u16string plain = DecimalText(value);
  const std::size_t sign = value < 0 ? 1 : 0;
  std::u16string grouped = plain.substr(0, sign);
  for (std::size_t i = sign; i < plain.size(); ++i) {
    if (i > sign && (plain.size() - i) % 3 == 0) grouped += u',';
    grouped += plain[i];
  }
  return grouped;
}

}  // namespace cardo
