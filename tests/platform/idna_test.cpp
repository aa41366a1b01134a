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
      // An ASCII host is what goes on the wire already: not even its case changes.
      {u"Example.COM", u"Example.COM"},
      {u"a_b.example", u"a_b.example"},
      {u"", u""},
      {std::u16string(60, u'\u00FC') + u".example", nullptr},
      {u"b\uFFFDcher.example", nullptr},
  };
  for (const auto& c : cases) {
    const auto ascii = HostToAscii(c.host);
    ASSERT_EQ(ascii.has_value(), c.ascii != nullptr) << Utf16ToUtf8(c.host);
    if (ascii) EXPECT_EQ(*ascii, c.ascii) << Utf16ToUtf8(c.host);
  }
}

TEST(Idna, OnlyTheHostOfAnAddressChanges) {
  const struct {
    const char16_t* url;
    const char16_t* converted;  // nullptr: the host is refused
  } cases[] = {
      {u"http://u:p@b\u00FCcher.example:8080/b\u00FCcher?b\u00FCcher#b\u00FCcher",
       u"http://u:p@xn--bcher-kva.example:8080/b\u00FCcher?b\u00FCcher#b\u00FCcher"},
      {u"ftp://b\u00FCcher.example", u"ftp://xn--bcher-kva.example"},
      {u"http://[::1]/\u00FC", u"http://[::1]/\u00FC"},
      {u"b\u00FCcher.example/a", u"b\u00FCcher.example/a"},  // no scheme: no host to tell
      {u"a://b://b\u00FCcher", u"a://b://b\u00FCcher"},
      {u"http://b\uFFFDcher.example/", nullptr},
  };
  for (const auto& c : cases) {
    const auto url = WithAsciiHost(c.url);
    ASSERT_EQ(url.has_value(), c.converted != nullptr) << Utf16ToUtf8(c.url);
    if (url) EXPECT_EQ(*url, c.converted) << Utf16ToUtf8(c.url);
  }
}

}  // namespace
}  // namespace cardo
