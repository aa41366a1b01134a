// Any filter and any URL: the matcher never crashes, never takes more than pattern x text
// steps, and an all-positive filter appends at most once per pattern.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/extract/wildcard_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  const std::size_t split = text.find(u'\n');
  const std::u16string filter = text.substr(0, split);
  const std::u16string url = split == std::u16string::npos ? u"" : text.substr(split + 1);
  cardo::WildcardMatch(filter, url);
  const int count = cardo::CompiledFilter(filter).AppendCount(url);
  std::size_t parts = 1;
  for (const char16_t c : filter) parts += c == u';';
  if (count < 0 || static_cast<std::size_t>(count) > parts) std::abort();
  return 0;
}
