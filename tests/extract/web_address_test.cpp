#include "app/extract/web_address.h"

#include <gtest/gtest.h>

#include "app/platform/text.h"

namespace cardo {
namespace {

TEST(WebAddress, TypedTextGetsHttpUnlessItHoldsEitherScheme) {
  const struct {
    const char16_t* typed;
    const char16_t* url;
  } cases[] = {
      {u"host/page", u"http://host/page"},     {u"https://host/", u"https://host/"},
      {u"http://host/", u"http://host/"},      {u"HTTPS://host/", u"http://HTTPS://host/"},
      {u"ftp://host/", u"http://ftp://host/"}, {u"see https://host/", u"see https://host/"},
  };
  for (const auto& c : cases) EXPECT_EQ(DownloadAddress(c.typed), c.url) << Utf16ToUtf8(c.url);
}

TEST(WebAddress, ParsesHttpAndHttpsOnly) {
  const struct {
    const char16_t* url;
    bool valid;
    bool secure;
    const char16_t* host;
    int port;
    const char16_t* target;
  } cases[] = {
      {u"http://h", true, false, u"h", 80, u"/"},
      {u"HTTPS://h:8443/a/b?x=1#frag", true, true, u"h", 8443, u"/a/b?x=1"},
      {u"https://user:pw@localhost/p", true, true, u"localhost", 443, u"/p"},
      {u"http://[::1]:81/", true, false, u"::1", 81, u"/"},
      {u"http://h:/", true, false, u"h", 80, u"/"},
      {u"http://h:65536/", false},
      {u"http://h:8x/", false},
      {u"http:///path", false},
      {u"http://HTTPS://h/", true, false, u"HTTPS", 80, u"//h/"},
      {u"ftp://h/", false},
      {u"h/page", false},
  };
  for (const auto& c : cases) {
    const auto address = ParseWebAddress(c.url);
    ASSERT_EQ(address.has_value(), c.valid) << Utf16ToUtf8(c.url);
    if (!address) continue;
    EXPECT_EQ(address->secure, c.secure) << Utf16ToUtf8(c.url);
    EXPECT_EQ(address->host, c.host) << Utf16ToUtf8(c.url);
    EXPECT_EQ(address->port, c.port) << Utf16ToUtf8(c.url);
    EXPECT_EQ(address->target, c.target) << Utf16ToUtf8(c.url);
  }
}

TEST(WebAddress, JoinsLocationsAsRfc3986Says) {
  // RFC 3986, 5.4: the normal and abnormal examples that a Location header can carry.
  const char16_t* base = u"http://a/b/c/d;p?q";
  const struct {
    const char16_t* reference;
    const char16_t* joined;
  } cases[] = {
      {u"g", u"http://a/b/c/g"},
      {u"./g", u"http://a/b/c/g"},
      {u"g/", u"http://a/b/c/g/"},
      {u"/g", u"http://a/g"},
      {u"//g", u"http://g"},
      {u"?y", u"http://a/b/c/d;p?y"},
      {u"g?y#s", u"http://a/b/c/g?y#s"},
      {u"", u"http://a/b/c/d;p?q"},
      {u"../g", u"http://a/b/g"},
      {u"../../../g", u"http://a/g"},
      {u"/./g", u"http://a/g"},
      {u"g/../h", u"http://a/b/c/h"},
      {u"https://x/y/../z", u"https://x/z"},
      {u"..", u"http://a/b/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JoinAddress(base, c.reference), c.joined) << Utf16ToUtf8(c.reference);
  EXPECT_EQ(JoinAddress(u"https://h", u"p"), u"https://h/p");
}

TEST(WebAddress, RedirectChainAllowsTenAndRefusesLoops) {
  RedirectChain chain(u"http://h/0");
  for (int i = 1; i <= 10; ++i) {
    ASSERT_EQ(chain.Redirect(u"/" + std::u16string(1, char16_t(u'a' + i))),
              RedirectChain::Step::Follow);
  }
  EXPECT_EQ(chain.Current(), u"http://h/k");
  EXPECT_EQ(chain.Redirect(u"/z"), RedirectChain::Step::TooMany);

  RedirectChain loop(u"http://h/a#top");
  ASSERT_EQ(loop.Redirect(u"https://h/a"), RedirectChain::Step::Follow);
  EXPECT_EQ(loop.Redirect(u"http://h/a"), RedirectChain::Step::Loop);
  EXPECT_EQ(loop.Current(), u"https://h/a");
}

}  // namespace
}  // namespace cardo
