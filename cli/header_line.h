#pragma once
// Reading the header lines libcurl hands to a header callback, one line with its CR LF.
#include <cstddef>
#include <string>
#include <string_view>

namespace cardo::cli {

// The line without its line end and trailing spaces, and without leading blanks.
inline std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return std::string(text);
}

// Whether `text` starts with `prefix` (lower case), header names being case-insensitive.
inline bool StartsNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace cardo::cli
