#include "app/info/topic_file.h"

#include "app/list/list_file.h"

namespace cardo {

std::u16string TopicText(std::u16string_view fileText, std::u16string_view key) {
  constexpr std::u16string_view kMarker = u"[KEY]:";
  const std::u16string marker = std::u16string(kMarker) + std::u16string(key);
  const auto lines = SplitListText(fileText);
  std::size_t i = 0;
  while (i < lines.size() && lines[i] != marker) ++i;
  std::u16string text;
  // The end test comes first: a comment line holding the marker text ends the section too.
  for (++i; i < lines.size() && lines[i].find(kMarker) == std::u16string::npos; ++i) {
    if (!lines[i].starts_with(u'\'')) text += lines[i] + u"\r\n";
  }
  return text;
}

}  // namespace cardo
