// The addresses a request may go to: http and https, in the form sent.
#include <gtest/gtest.h>

#include "app/net/http_client.h"
#include "app/platform/text.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

TEST(HttpAddress, RequestsGoToHttpAndHttpsOnly) {
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
      // A browser skips the slashes before the host.
      {u"http:///path", true, false, u"path", 80, u"/"},
      {u"http://HTTPS://h/", true, false, u"https", 80, u"//h/"},
      {u"ftp://h/", false},
      {u"h/page", false},
  };
  for (const auto& c : cases) {
    HttpError error;
    const auto url = ParseHttpAddress(c.url, error);
    ASSERT_EQ(url.has_value(), c.valid) << Utf16ToUtf8(c.url);
    if (!url) {
      EXPECT_EQ(error.reason, kBadAddressReason + std::u16string(c.url));
      continue;
    }
    EXPECT_EQ(url->Scheme() == u"https", c.secure) << Utf16ToUtf8(c.url);
    EXPECT_EQ(url->HostName(), c.host) << Utf16ToUtf8(c.url);
    EXPECT_EQ(url->EffectivePort(), c.port) << Utf16ToUtf8(c.url);
    EXPECT_EQ(url->Target(), c.target) << Utf16ToUtf8(c.url);
  }
}

TEST(HttpAddress, TheRequestGoesToTheALabelHostAndTheEncodedTarget) {
  const struct {
    const char16_t* url;
    const char16_t* wire;  // nullptr: the host is refused
  } cases[] = {
      {u"http://b\u00FCcher.example/\u00FC#top", u"http://xn--bcher-kva.example/%C3%BC"},
      {u"https://u@\u65E5\u672C\u8A9E.jp:8443/?q=\u3042",
       u"https://u@xn--wgv71a119e.jp:8443/?q=%E3%81%82"},
      {u"http://Example.COM/a b", u"http://example.com/a%20b"},
      {u"http://h/\u65E5 \U0001F600", u"http://h/%E6%97%A5%20%F0%9F%98%80"},
      {u"http://b\uFFFDcher.example/", nullptr},
  };
  for (const auto& c : cases) {
    HttpError error;
    const auto url = ParseHttpAddress(c.url, error);
    ASSERT_EQ(url.has_value(), c.wire != nullptr) << Utf16ToUtf8(c.url);
    if (url) {
      EXPECT_EQ(url->Href(false), c.wire) << Utf16ToUtf8(c.url);
    } else {
      EXPECT_EQ(error.reason, kBadHostReason + std::u16string(c.url));
    }
  }
}

}  // namespace
}  // namespace cardo
