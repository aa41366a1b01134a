#include "fnc/spread_text.h"

#include <cstring>

namespace cardo::fnc {

ExpansionText MeasureExpansion(const Expansion& expansion, std::size_t maxBytes,
                               const std::function<bool()>& cancelled) {
  ExpansionText text;
  expansion.ForEachLine([&](std::string_view line) {
    if (cancelled()) return false;
    text.bytes += line.size() + 2;
    ++text.lines;
    return text.bytes < maxBytes;
  });
  return text;
}

void WriteExpansion(const Expansion& expansion, std::uint64_t lines, char* out) {
  if (lines == 0) return;
  std::uint64_t written = 0;
  expansion.ForEachLine([&](std::string_view line) {
    std::memcpy(out, line.data(), line.size());
    out += line.size();
    *out++ = '\r';
    *out++ = '\n';
    return ++written < lines;
  });
}

}  // namespace cardo::fnc
