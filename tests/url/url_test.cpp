// The URL model against the URL standard's own conformance data, and against the addresses
// whose three readings once disagreed in this program.
#include "app/url/url.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/platform/text.h"
#include "tests/url/url_conformance_cases.h"

namespace cardo {
namespace {

std::u16string Search(const Url& url) {
  return url.Query() && !url.Query()->empty() ? u"?" + *url.Query() : u"";
}
std::u16string Hash(const Url& url) {
  return url.Fragment() && !url.Fragment()->empty() ? u"#" + *url.Fragment() : u"";
}

// Hosts the system's IDNA conversion (libidn2 natively, IdnToAscii on Windows) judges
// otherwise than the URL standard's own UTS 46 processing; the rest of the table holds.
struct IdnaDifference {
  std::u16string_view input;
  const char* why;
};
constexpr IdnaDifference kIdnaDifferences[] = {
    // The A-label spells compatibility characters (circled numbers) that IDNA2008 disallows;
    // UTS 46 as the standard applies it takes the label as it is (the case checks that such a
    // label is no number).
    {u"http://a.b.c.xn--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    {u"http://10.0.0.xn--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    {u"http://a.b.c.XN--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    {u"http://a.b.c.Xn--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    {u"http://10.0.0.XN--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    {u"http://10.0.0.xN--pokxncvks", "libidn2 refuses an A-label of disallowed characters"},
    // "xn--" with nothing after it: an empty Punycode label, which UTS 46 decodes to nothing.
    {u"file://xn--/p", "libidn2 refuses an empty A-label"},
    {u"https://xn--/", "libidn2 refuses an empty A-label"},
#ifdef _WIN32
    // IDNA2003, as the system converts: "ß" is mapped to "ss" (transitional processing).
    {u"https://fa\u00DF.ExAmPlE/", "IdnToAscii maps \u00DF to ss"},
#endif
};

bool IsIdnaDifference(std::u16string_view input) {
  return std::any_of(std::begin(kIdnaDifferences), std::end(kIdnaDifferences),
                     [&](const IdnaDifference& d) { return d.input == input; });
}

TEST(Url, ConformanceData) {
  int passed = 0;
  int run = 0;
  int skipped = 0;
  for (const url_conformance::Case& c : url_conformance::kCases) {
    if (IsIdnaDifference(c.input)) {
      ++skipped;
      continue;
    }
    ++run;
    const std::string what = Utf16ToUtf8(c.input) + " against " + Utf16ToUtf8(c.base);
    std::optional<Url> base;
    if (!c.base.empty()) {
      base = ParseUrl(c.base);
      ASSERT_TRUE(base) << what;
    }
    const auto url = ParseUrl(c.input, base ? &*base : nullptr);
    if (c.fails) {
      EXPECT_FALSE(url) << what << " gave " << Utf16ToUtf8(url->Href());
      passed += !url;
      continue;
    }
    if (!url) {
      ADD_FAILURE() << what << " failed, expected " << Utf16ToUtf8(c.href);
      continue;
    }
    const std::u16string href = url->Href();
    const bool same = href == c.href && url->Host() == c.hostname && url->Path() == c.pathname &&
                      Search(*url) == c.search && Hash(*url) == c.hash;
    EXPECT_EQ(Utf16ToUtf8(href), Utf16ToUtf8(c.href)) << what;
    EXPECT_EQ(Utf16ToUtf8(url->Host()), Utf16ToUtf8(c.hostname)) << what;
    EXPECT_EQ(Utf16ToUtf8(url->Path()), Utf16ToUtf8(c.pathname)) << what;
    EXPECT_EQ(Utf16ToUtf8(Search(*url)), Utf16ToUtf8(c.search)) << what;
    EXPECT_EQ(Utf16ToUtf8(Hash(*url)), Utf16ToUtf8(c.hash)) << what;
    const auto again = ParseUrl(href);
    EXPECT_TRUE(again && again->Href() == href) << what << ": " << Utf16ToUtf8(href);
    passed += same;
  }
  EXPECT_EQ(skipped, static_cast<int>(std::size(kIdnaDifferences)));
  std::printf("URL conformance: %d of %d passed, %d skipped (IDNA differences)\n", passed, run,
              skipped);
}

// Joined to http://h/a/b/c, each as a link's href and as a Location: one answer, a browser's.
TEST(Url, ReferencesJoinAsABrowserJoinsThem) {
  const auto base = ParseUrl(u"http://h/a/b/c");
  ASSERT_TRUE(base);
  const struct {
    const char* reference;
    const char* joined;
  } cases[] = {
      {"/\\other/x", "http://other/x"},
      {"\\\\other\\x", "http://other/x"},
      {"..\\d", "http://h/a/d"},
      {"%2e%2e/x", "http://h/a/x"},
      {"./%2E/y", "http://h/a/b/y"},
      {"/a/.%2e/z", "http://h/z"},
      {"../../../../up", "http://h/up"},
      {"d/..", "http://h/a/b/"},
      {"?q", "http://h/a/b/c?q"},
      {"#f", "http://h/a/b/c#f"},
      {"//h2", "http://h2/"},
      {"https:x", "https://x/"},
      {" x y ", "http://h/a/b/x%20y"},
      {"mailto:a@b", "mailto:a@b"},
  };
  for (const auto& c : cases) {
    const std::u16string reference = Utf8ToUtf16(c.reference);
    const auto link = ParseUrl(reference, &*base, UrlForm::AsWritten);
    const auto location = ParseUrlBytes(c.reference, &*base);
    ASSERT_TRUE(link && location) << c.reference;
    EXPECT_EQ(Utf16ToUtf8(link->Href()), c.joined) << c.reference;
    EXPECT_EQ(Utf16ToUtf8(location->Href()), c.joined) << c.reference;
  }
}

TEST(Url, AddressesInBothForms) {
  const struct {
    const char* input;
    const char* wire;     // nullptr: no URL
    const char* written;  // nullptr: as the wire form
  } cases[] = {
      {"http://h", "http://h/", nullptr},
      {"HTTP://H/dot/../up/./", "http://h/up/", nullptr},
      {"http://127.0.0.1:8765/a\\b.jpg", "http://127.0.0.1:8765/a/b.jpg", nullptr},
      {"http://localhost\\a/b.jpg", "http://localhost/a/b.jpg", nullptr},
      {"http://User:Pa ss@H:80/p", "http://User:Pa%20ss@h/p", nullptr},
      {"http://@h/", "http://h/", nullptr},
      {"http://u@/", nullptr, nullptr},
      {"https://h:443/", "https://h/", nullptr},
      {"http://h:65535/", "http://h:65535/", nullptr},
      {"http://h:65536/", nullptr, nullptr},
      {"http://h:8x/", nullptr, nullptr},
      {"http://[0:0::1]:8080/", "http://[::1]:8080/", nullptr},
      {"http://[::ffff:192.0.2.1]/", "http://[::ffff:c000:201]/", nullptr},
      {"http://[1::2::3]/", nullptr, nullptr},
      {"http://0x7f.1/", "http://127.0.0.1/", nullptr},
      {"http://2130706433/", "http://127.0.0.1/", nullptr},
      {"http://1.2.3.4.5/", nullptr, nullptr},
      {"http://a b/", nullptr, nullptr},
      {"http://h/資料/一覧.html?問#片",
       "http://h/%E8%B3%87%E6%96%99/%E4%B8%80%E8%A6%A7.html?%E5%95%8F#%E7%89%87",
       "http://h/資料/一覧.html?問#片"},
      {"http://B\u00FCcher.Example/%41 \"", "http://xn--bcher-kva.example/%41%20%22",
       "http://b\u00FCcher.example/%41%20%22"},
      {"http://\uFF11\uFF12\uFF17\u30020.0.1/", "http://127.0.0.1/", nullptr},
      {"http://b\uFFFDcher.example/", nullptr, nullptr},
      {"ftp://h/a;type=i", "ftp://h/a;type=i", nullptr},
      {"file:///C|/a/../../b", "file:///C:/b", nullptr},
      {"foo://H/\u00E9", "foo://H/%C3%A9", "foo://H/\u00E9"},
      {"relative/path", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const std::u16string input = Utf8ToUtf16(c.input);
    const auto wire = ParseUrl(input);
    const auto written = ParseUrl(input, nullptr, UrlForm::AsWritten);
    ASSERT_EQ(wire.has_value(), c.wire != nullptr) << c.input;
    ASSERT_EQ(written.has_value(), c.wire != nullptr) << c.input;
    if (!wire) continue;
    EXPECT_EQ(Utf16ToUtf8(wire->Href()), c.wire) << c.input;
    EXPECT_EQ(Utf16ToUtf8(written->Href()), c.written ? c.written : c.wire) << c.input;
  }
}

TEST(Url, PartsForConnectionsAndReferers) {
  const auto url = ParseUrl(u"https://u:p@[::1]:8443/d/f.jpg?q=1#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->Scheme(), u"https");
  EXPECT_EQ(url->HostName(), u"::1");
  EXPECT_EQ(url->EffectivePort(), 8443);
  EXPECT_EQ(url->Target(), u"/d/f.jpg?q=1");
  EXPECT_EQ(url->Origin(), u"https://[::1]:8443");
  EXPECT_EQ(url->WithoutCredentials(), u"https://[::1]:8443/d/f.jpg?q=1");
  EXPECT_EQ(url->Href(false), u"https://u:p@[::1]:8443/d/f.jpg?q=1");

  const auto plain = ParseUrl(u"ftp://h/");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->EffectivePort(), 21);
  EXPECT_FALSE(plain->Port());
  const auto file = ParseUrl(u"file:///tmp/x");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Origin(), u"");
  EXPECT_TRUE(file->HasHost());
  const auto mail = ParseUrl(u"mailto:a@b");
  ASSERT_TRUE(mail);
  EXPECT_FALSE(mail->HasHost());
  EXPECT_EQ(mail->Path(), u"a@b");
}

// A server's bytes: UTF-8 is read as characters, a byte that is none goes back as itself.
TEST(Url, LocationBytes) {
  const auto base = ParseUrl(u"http://h/dir/page");
  ASSERT_TRUE(base);
  const struct {
    std::string_view bytes;
    const char* href;
  } cases[] = {
      {"/\xE8\xB3\x87 x", "http://h/%E8%B3%87%20x"},
      {"/a\xFF\xE8\xB3", "http://h/a%FF%E8%B3"},
      {"n?\x82\xA0'", "http://h/dir/n?%82%A0%27"},
      {"#\xC0\xAE", "http://h/dir/page#%C0%AE"},
      {"%C0%AE%C0%AE/x", "http://h/dir/%C0%AE%C0%AE/x"},
      {std::string_view("/nul\0", 5), "http://h/nul"},
  };
  for (const auto& c : cases) {
    const auto url = ParseUrlBytes(c.bytes, &*base);
    ASSERT_TRUE(url) << c.bytes;
    EXPECT_EQ(Utf16ToUtf8(url->Href()), c.href) << c.bytes;
  }
  EXPECT_FALSE(ParseUrlBytes("http://h\xFF/", &*base));
}

// A base remembers how far references climbed it: whatever order they come in, each is
// joined as against a base read afresh.
TEST(Url, ClimbsOfOneBaseInAnyOrder) {
  for (const char16_t* text :
       {u"http://h/1/2/3/4/5/6/x?q", u"file:///C:/1/2/3/x", u"foo://h/1/2/x"}) {
    const auto base = ParseUrl(text);
    ASSERT_TRUE(base);
    for (const int levels : {3, 0, 5, 1, 9, 2, 4}) {
      std::u16string reference;
      for (int i = 0; i < levels; ++i) reference += u"../";
      reference += u"y";
      const auto fresh = ParseUrl(text);
      EXPECT_EQ(ParseUrl(reference, &*base)->Href(), ParseUrl(reference, &*fresh)->Href())
          << levels;
    }
  }
  const auto drive = ParseUrl(u"file:///C:/1/x");
  EXPECT_EQ(ParseUrl(u"../../../y", &*drive)->Href(), u"file:///C:/y");
  EXPECT_EQ(ParseUrl(u"/y", &*drive)->Href(), u"file:///C:/y");
}

}  // namespace
}  // namespace cardo
