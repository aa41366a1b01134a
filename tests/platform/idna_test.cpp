// The host conversion, the same table for the system's IdnToAscii (under Wine) and libidn2.
#include "app/platform/idna.h"

#include <gtest/gtest.h>

#include "app/platform/text.h"

namespace cardo {
namespace {

TEST(Idna, HostsBeyondAsciiBecomeALabels) {
  const struct {
    std::u16string host;
    const char16_t* ascii;  // nullptr: not a valid internationalized name
  } cases[] = {
      {u"b\u00FCcher.example", u"xn--bcher-kva.example"},
      {u"\u65E5\u672C\u8A9E.jp", u"xn--wgv71a119e.jp"},
      // What both conversions map first: upper case, full-width letters, the ideographic
      // full stop.
      {u"B\u00DCCHER.example", u"xn--bcher-kva.example"},
      {u"\uFF42\u00FC\uFF43\uFF48\uFF45\uFF52\u3002example", u"xn--bcher-kva.example"},
      {u"b\u00FCcher.example.", u"xn--bcher-kva.example."},
      {std::u16string(60, u'\u00FC') + u".example", nullptr},
      {u"b\uFFFDcher.example", nullptr},
  };
  for (const auto& c : cases) {
    const auto ascii = SystemHostToAscii(c.host);
    ASSERT_EQ(ascii.has_value(), c.ascii != nullptr) << Utf16ToUtf8(c.host);
    if (ascii) EXPECT_EQ(*ascii, c.ascii) << Utf16ToUtf8(c.host);
  }
}

}  // namespace
}  // namespace cardo
