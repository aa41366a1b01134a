#include "app/url/web_address.h"

#include <gtest/gtest.h>

#include "app/platform/text.h"

namespace cardo {
namespace {

TEST(WebAddress, TypedTextGetsHttpUnlessItHoldsEitherScheme) {
  const struct {
    const char16_t* typed;
    const char16_t* url;
  } cases[] = {
      {u"host/page", u"http://host/page"},
      {u"https://host/", u"https://host/"},
      {u"http://host/", u"http://host/"},
      {u"HTTPS://host/", u"HTTPS://host/"},
      {u"ftp://host/", u"ftp://host/"},
      {u"svn+ssh://host/", u"svn+ssh://host/"},
      {u"see https://host/", u"see https://host/"},
      {u"host:8080/page", u"http://host:8080/page"},
      {u"1ftp://host/", u"http://1ftp://host/"},
      {u"://host/", u"http://://host/"},
  };
  for (const auto& c : cases) EXPECT_EQ(DownloadAddress(c.typed), c.url) << Utf16ToUtf8(c.url);
}

TEST(WebAddress, JoinsLocationsAsABrowserJoinsThem) {
  // RFC 3986, 5.4: the normal and abnormal examples that a Location header can carry.
  RedirectChain chain(*ParseUrl(u"http://a/b/c/d;p?q"));
  const struct {
    const char* reference;
    const char16_t* joined;
  } cases[] = {
      {"g", u"http://a/b/c/g"},
      {"./g", u"http://a/b/c/g"},
      {"g/", u"http://a/b/c/g/"},
      {"/g", u"http://a/g"},
      {"//g", u"http://g/"},
      {"?y", u"http://a/b/c/d;p?y"},
      {"g?y#s", u"http://a/b/c/g?y#s"},
      {"", u"http://a/b/c/d;p?q"},
      {"../g", u"http://a/b/g"},
      {"../../../g", u"http://a/g"},
      {"/./g", u"http://a/g"},
      {"g/../h", u"http://a/b/c/h"},
      {"https://x/y/../z", u"https://x/z"},
      {"..", u"http://a/b/"},
  };
  for (const auto& c : cases) {
    const auto target = chain.Target(c.reference);
    ASSERT_TRUE(target) << c.reference;
    EXPECT_EQ(target->Href(), c.joined) << c.reference;
  }
  RedirectChain bare(*ParseUrl(u"https://h"));
  EXPECT_EQ(bare.Target("p")->Href(), u"https://h/p");
}

TEST(WebAddress, RedirectChainAllowsTenAndRefusesLoops) {
  RedirectChain chain(*ParseUrl(u"http://h/0"));
  EXPECT_FALSE(chain.Redirected());
  for (int i = 1; i <= 10; ++i) {
    ASSERT_EQ(chain.Redirect("/" + std::string(1, char('a' + i))), RedirectChain::Step::Follow);
  }
  EXPECT_EQ(chain.Current().Href(), u"http://h/k");
  EXPECT_TRUE(chain.Redirected());
  EXPECT_EQ(chain.Redirect("/z"), RedirectChain::Step::TooMany);

  RedirectChain loop(*ParseUrl(u"http://h/a#top"));
  ASSERT_EQ(loop.Redirect("https://h/a"), RedirectChain::Step::Follow);
  EXPECT_EQ(loop.Redirect("http://h/a"), RedirectChain::Step::Loop);
  EXPECT_EQ(loop.Current().Href(), u"https://h/a");
}

TEST(WebAddress, LocationBytesAreReadAsUtf8AndEncodedAsABrowserSendsThem) {
  RedirectChain chain(*ParseUrl(u"http://h/"));
  const struct {
    const char* bytes;
    const char16_t* browser;
  } cases[] = {
      // Raw UTF-8, the form servers send today; an encoded address stays as it is.
      {"/\xE6\x97\xA5\xE6\x9C\xAC/a.html", u"http://h/%E6%97%A5%E6%9C%AC/a.html"},
      {"/%E6%97%A5/a%20b.html?q=%41", u"http://h/%E6%97%A5/a%20b.html?q=%41"},
      // Code page 932 bytes are no UTF-8: each byte goes back to the server as it came.
      {"/\x93\xFA\x96\x7B.html", u"http://h/%93%FA%96%7B.html"},
      {"/a\xE6\x97", u"http://h/a%E6%97"},  // a sequence cut off
      {"/a b.html?x=1 2#p q", u"http://h/a%20b.html?x=1%202#p%20q"},
      // A browser drops a TAB.
      {"/t\tab\x7F", u"http://h/tab%7F"},
      // What a browser escapes differs by part; "?" and "#" keep their meaning.
      {"/p\"<>`{}'?q\"<>`{}'#f\"<>`{}'",
       u"http://h/p%22%3C%3E%60%7B%7D'?q%22%3C%3E`{}%27#f%22%3C%3E%60{}'"},
      // The host is read as UTF-8 and requested by its A-label.
      {"http://u:p@b\xC3\xBC"
       "cher.example:8080/\xC3\xBC",
       u"http://u:p@xn--bcher-kva.example:8080/%C3%BC"},
      {"//b\xC3\xBC"
       "cher.example/x",
       u"http://xn--bcher-kva.example/x"},
  };
  for (const auto& c : cases) {
    const auto target = chain.Target(c.bytes);
    ASSERT_TRUE(target) << c.bytes;
    EXPECT_EQ(target->Href(), c.browser) << c.bytes;
  }
  // A host that is no UTF-8, or a port past 65535: no address, and the reason says which.
  EXPECT_EQ(chain.Redirect("http://b\xFC"
                           "cher.example/"),
            RedirectChain::Step::Invalid);
  EXPECT_EQ(chain.Refusal("http://b\xFC"
                          "cher.example/"),
            kBadHostReason + std::u16string(u"http://b\uFFFDcher.example/"));
  EXPECT_EQ(chain.Redirect("http://h:65536/"), RedirectChain::Step::Invalid);
  EXPECT_EQ(chain.Refusal("http://h:65536/"),
            kBadAddressReason + std::u16string(u"http://h:65536/"));
  EXPECT_EQ(chain.Current().Href(), u"http://h/");
}

TEST(WebAddress, ARedirectedAddressIsTheEncodedOneAndLoopsSeeThroughTheEncoding) {
  RedirectChain chain(*ParseUrl(u"http://h/\u65E5/start"));
  ASSERT_EQ(chain.Redirect("next page?a=\xE3\x81\x82"), RedirectChain::Step::Follow);
  EXPECT_EQ(chain.Current().Href(), u"http://h/%E6%97%A5/next%20page?a=%E3%81%82");
  // The typed start and its encoded form are one address.
  EXPECT_EQ(chain.Redirect("/\xE6\x97\xA5/start"), RedirectChain::Step::Loop);
}

}  // namespace
}  // namespace cardo
