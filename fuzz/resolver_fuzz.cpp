// Any base and reference: the HTML mode's resolution never crashes and gives "不正" or a URL:
// one that starts with the base's root, or for a "//host" reference with the base's scheme.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/scan/relative_url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i < size; ++i) text.push_back(static_cast<char16_t>(data[i]));
  const std::size_t split = text.find(u'\n');
  const std::u16string base = text.substr(0, split);
  const std::u16string relative = split == std::u16string::npos ? u"" : text.substr(split + 1);
  const std::u16string result = cardo::ResolveRelativeUrl(base, relative);
  if (result.empty()) std::abort();
  return 0;
}
