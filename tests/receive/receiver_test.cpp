#include "app/receive/receiver.h"

#include <gtest/gtest.h>

#include <string>

#include "app/platform/text.h"

namespace cardo {
namespace {

constexpr char kToken[] = "0123456789abcdef0123456789abcdef";

ReceiverSettings Settings(std::optional<std::size_t> room = std::nullopt) {
  return {8765, kToken, "3.00", room, UrlForm::Wire};
}

std::string Post(std::string_view body, std::string_view extra = "",
                 std::string_view token = kToken) {
  return "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\nAuthorization: Bearer " +
         std::string(token) + "\r\nContent-Type: application/json\r\n" + std::string(extra) +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

// The answer to `bytes`, fed in pieces of `piece` bytes, the connection then closed.
ReceiverAnswer Answer(std::string_view bytes, const ReceiverSettings& settings = Settings(),
                      std::size_t piece = 7) {
  RequestReader reader;
  for (std::size_t at = 0; at < bytes.size() && reader.state() == RequestReader::State::NeedMore;
       at += piece) {
    reader.Feed(bytes.substr(at, piece));
  }
  reader.End();
  return AnswerRequest(reader, settings);
}

std::string Lines(const ReceiverAnswer& answer) {
  std::string lines;
  for (const ReceivedLink& link : answer.links) {
    lines += Utf16ToUtf8(link.url) + " " + Utf16ToUtf8(link.page) + "\n";
  }
  return lines;
}

TEST(Receiver, RefusesWithAClearAnswerAndTakesNothing) {
  const std::string body = R"({"urls":["http://a/"]})";
  const struct {
    const char* what;
    std::string request;
    int status;
    const char* code;
  } cases[] = {
      {"no token", Post(body, "", ""), 401, "\"token\""},
      {"wrong token", Post(body, "", "0123456789abcdef0123456789abcdeF"), 401, "\"token\""},
      {"token cut short", Post(body, "", "0123456789abcdef"), 401, "\"token\""},
      {"Basic, not Bearer",
       "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\nAuthorization: Basic " +
           std::string(kToken) + "\r\nContent-Length: 2\r\n\r\n{}",
       401, "\"token\""},
      {"rebound name", "GET /v1/status HTTP/1.1\r\nHost: evil.example:8765\r\n\r\n", 421,
       "wrong-host"},
      {"other port", "GET /v1/status HTTP/1.1\r\nHost: 127.0.0.1:80\r\n\r\n", 421, "wrong-host"},
      {"no Host", "GET /v1/status HTTP/1.1\r\n\r\n", 421, "wrong-host"},
      {"a second Host", Post(body, "Host: evil.example\r\n"), 421, "wrong-host"},
      {"web page", Post(body, "Origin: https://evil.example\r\n"), 403, "web-origin"},
      {"sandboxed page", Post(body, "Origin: null\r\n"), 403, "web-origin"},
      {"web preflight",
       "OPTIONS /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\nOrigin: http://a.example\r\n\r\n",
       403, "web-origin"},
      {"too large",
       "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\nContent-Length: 8388609\r\n\r\n", 413,
       "too-large"},
      {"length beyond 64 bits",
       "POST /v1/links HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n", 413,
       "too-large"},
      {"no length", "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n{}", 411,
       "length-required"},
      {"chunked",
       "POST /v1/links HTTP/1.1\r\nTransfer-Encoding: chunked\r\nContent-Length: 2\r\n\r\n{}", 411,
       "length-required"},
      {"two lengths", "POST /v1/links HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n{}",
       400, "bad-request"},
      {"folded header", "GET /v1/status HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n x\r\n\r\n", 400,
       "bad-request"},
      {"not HTTP", "GET /v1/status\r\n\r\n", 400, "bad-request"},
      {"head too large", "GET /v1/status HTTP/1.1\r\nX: " + std::string(kRequestHeadLimit, 'a'),
       431, "head-too-large"},
      {"cut short", Post(body).substr(0, Post(body).size() - 3), 400, "cut-short"},
      {"head cut short", "GET /v1/status HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n", 400, "cut-short"},
      {"unknown path", "GET /v2/status HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 404, "not-found"},
      {"GET of links", "GET /v1/links HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n\r\n", 405, "method"},
      {"malformed JSON", Post(R"({"urls":["http://a/"])"), 400, "malformed-json"},
      {"JSON cut in a string", Post(R"({"urls":["http://a/)"), 400, "malformed-json"},
      {"two documents", Post(R"({"urls":[]} {})"), 400, "malformed-json"},
      {"control in a string", Post("{\"urls\":[\"http://a/\x01\"]}"), 400, "malformed-json"},
      {"nested too deep", Post(std::string(100, '[') + std::string(100, ']')), 400,
       "malformed-json"},
      {"not an object", Post(R"(["http://a/"])"), 400, "not-links"},
      {"urls not an array", Post(R"({"urls":"http://a/"})"), 400, "not-links"},
      {"a number among urls", Post(R"({"urls":["http://a/",1]})"), 400, "not-links"},
      {"page not text", Post(R"({"page":1,"urls":[]})"), 400, "not-links"},
      {"item without url", Post(R"({"urls":[{"page":"http://p/"}]})"), 400, "not-links"},
  };
  for (const auto& c : cases) {
    const ReceiverAnswer answer = Answer(c.request);
    EXPECT_EQ(answer.status, c.status) << c.what;
    EXPECT_NE(answer.body.find(c.code), std::string::npos) << c.what << ": " << answer.body;
    EXPECT_TRUE(answer.links.empty()) << c.what;
  }
}

TEST(Receiver, TakesEachHttpHttpsFtpUrlOnceWithItsPage) {
  const ReceiverAnswer answer = Answer(Post(R"j({"page":"https://site.example/gallery#top",
      "title":"Gallery \u2605", "urls":[
      "https://site.example/a.zip#part2", "https://site.example/a.zip",
      "ftp://files.example/b.iso", "javascript:void(0)", "mailto:x@y", "data:,x",
      "http://bad host/",
      "img/c.jpg", "HTTP://Site.Example/%E7%94%BB%E5%83%8F.jpg",
      {"url":"http://frame.example/d.png","page":"http://frame.example/inner.html#f"},
      {"url":"e.png","page":"file:///C:/secret/page.html"}]})j"));
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(Lines(answer),
            "https://site.example/a.zip https://site.example/gallery\n"
            "ftp://files.example/b.iso https://site.example/gallery\n"
            "https://site.example/img/c.jpg https://site.example/gallery\n"
            "http://site.example/%E7%94%BB%E5%83%8F.jpg https://site.example/gallery\n"
            "http://frame.example/d.png http://frame.example/inner.html\n");
  EXPECT_EQ(answer.body,
            R"({"added":5,"skipped":{"scheme":5,"duplicate":1,"full":0},"room":null})");
}

TEST(Receiver, StatusAndTheRoomOfTheList) {
  const std::string status =
      "GET /v1/status HTTP/1.1\r\nHost: [::1]:8765\r\nAuthorization: "
      "bearer " +
      std::string(kToken) + "\r\n\r\n";
  EXPECT_EQ(Answer(status, Settings(2)).body, R"({"name":"Cardo","version":"3.00","room":2})");

  const ReceiverAnswer full = Answer(
      Post(R"({"urls":["http://a/1","http://a/2","http://a/1","http://a/3"]})"), Settings(2));
  EXPECT_EQ(full.links.size(), 2u);
  EXPECT_EQ(full.body, R"({"added":2,"skipped":{"scheme":0,"duplicate":1,"full":1},"room":0})");
}

// A list on another thread answers for the room: what it took is what the body says.
TEST(Receiver, SettledByTheListThatHoldsTheLinks) {
  ReceiverAnswer links = Answer(Post(R"({"urls":["http://a/1","http://a/2","http://a/1"]})"));
  SettleAnswer(links, 1, 0, "3.00");
  ASSERT_EQ(links.links.size(), 1u);
  EXPECT_EQ(links.links[0].url, u"http://a/1");
  EXPECT_EQ(links.body, R"({"added":1,"skipped":{"scheme":0,"duplicate":1,"full":1},"room":0})");

  ReceiverAnswer status =
      Answer("GET /v1/status HTTP/1.1\r\nHost: 127.0.0.1:8765\r\nAuthorization: Bearer " +
             std::string(kToken) + "\r\n\r\n");
  SettleAnswer(status, 0, 32767, "3.00");
  EXPECT_EQ(status.body, R"({"name":"Cardo","version":"3.00","room":32767})");

  ReceiverAnswer refused = Answer(Post("{}", "", "wrong"));
  const std::string before = refused.Wire();
  SettleAnswer(refused, 0, 5, "3.00");
  EXPECT_EQ(refused.Wire(), before);
}

TEST(Receiver, AnswersAnExtensionsPreflightAndCallsWithCors) {
  const std::string origin = "Origin: chrome-extension://abcdefghijklmnop\r\n";
  const ReceiverAnswer preflight = Answer("OPTIONS /v1/links HTTP/1.1\r\nHost: localhost:8765\r\n" +
                                          origin + "Access-Control-Request-Method: POST\r\n\r\n");
  EXPECT_EQ(preflight.status, 204);
  EXPECT_NE(
      preflight.Wire().find("Access-Control-Allow-Origin: chrome-extension://abcdefghijklmnop"),
      std::string::npos);
  EXPECT_NE(preflight.Wire().find("Access-Control-Allow-Headers: Authorization, Content-Type"),
            std::string::npos);

  const ReceiverAnswer post = Answer(
      Post(R"({"urls":["http://a/"]})", "Origin: moz-extension://1234-5678\r\n"), Settings(), 1);
  EXPECT_EQ(post.status, 200);
  EXPECT_NE(post.Wire().find("Access-Control-Allow-Origin: moz-extension://1234-5678"),
            std::string::npos);
  // Without an Origin (a script, curl), no CORS header at all.
  EXPECT_EQ(Answer(Post(R"({"urls":[]})")).Wire().find("Access-Control"), std::string::npos);
}

TEST(Receiver, ReadsTheBodyWhateverThePiecesAndIgnoresWhatFollows) {
  const std::string request = Post(R"({"urls":["http://a/"]})") + "GET / HTTP/1.1\r\n\r\n";
  for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, request.size()}) {
    EXPECT_EQ(Lines(Answer(request, Settings(), piece)), "http://a/ \n") << piece;
  }
}

TEST(Receiver, SecretsCompareWhole) {
  EXPECT_TRUE(SameSecret("abc", "abc"));
  EXPECT_FALSE(SameSecret("abc", "abcabc"));
  EXPECT_FALSE(SameSecret("abc", "abd"));
  EXPECT_FALSE(SameSecret("", ""));
  const std::string token = NewReceiverToken();
  EXPECT_EQ(token.size(), 32u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(token, NewReceiverToken());
}

}  // namespace
}  // namespace cardo
