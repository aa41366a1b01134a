#include "app/export/aria2_rpc.h"

#include <gtest/gtest.h>

#include "app/export/messages.h"
#include "app/text/json.h"
#include "app/platform/text.h"
#include "cli/export_command.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/loopback_server.h"

namespace cardo {
namespace {

TEST(Aria2Rpc, JsonQuotedEscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(JsonQuoted("a\"b\\c\x01\n\x1F\x7F\xE4\xBF\x9D/"),
            "\"a\\\"b\\\\c\\u0001\\u000a\\u001f\x7F\xE4\xBF\x9D/\"");
}

// The whole body of a small hand-over: the plan of the aria2 file (names made unique, the
// Referer by its rule), the folder and the token as JSON strings, other schemes left out.
TEST(Aria2Rpc, RequestBodyCarriesThePlanOfTheAria2File) {
  ExportOptions options;
  options.referer = RefererRule::Folder;
  options.folder = u"C:\\\u4FDD\u5B58 \"x\"";
  const RpcRequests made = Aria2RpcRequests(
      {u" http://H/a/cover.jpg ", u"gopher://h/x", u"", u"https://h/b/cover.jpg#f"}, options,
      "s\"1");
  ASSERT_EQ(made.requests.size(), 1u);
  EXPECT_EQ(made.skipped, 1u);
  EXPECT_EQ(made.requests[0].calls, 2u);
  const std::string dir = R"("dir":"C:\\)"
                          "\xE4\xBF\x9D\xE5\xAD\x98"
                          R"( \"x\"",)";
  EXPECT_EQ(
      made.requests[0].body,
      R"({"jsonrpc":"2.0","id":"cardo","method":"system.multicall","params":[[)"
      R"({"methodName":"aria2.addUri","params":["token:s\"1",["http://h/a/cover.jpg"],{)" +
          dir +
          R"("out":"cover.jpg","referer":"http://h/a/"}]},)"
          R"({"methodName":"aria2.addUri","params":["token:s\"1",["https://h/b/cover.jpg#f"],{)" +
          dir + R"("out":"cover.1.jpg","referer":"https://h/b/"}]}]]})");
}

// A long list goes in requests below the size, each valid JSON, every URL once and in order.
TEST(Aria2Rpc, LongListsAreSplitBelowTheRequestSize) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < 500; ++i) lines.push_back(u"http://h/" + std::u16string(i % 50, u'x'));
  lines.push_back(u"http://h/" + std::u16string(3000, u'y'));  // longer than a request
  const RpcRequests made = Aria2RpcRequests(lines, {}, "s", 2000);
  ASSERT_GT(made.requests.size(), 10u);
  std::size_t place = 0;
  for (const RpcRequest& request : made.requests) {
    if (request.calls > 1) {
      EXPECT_LE(request.body.size(), 2000u);
    }
    const auto value = ParseJson(request.body);
    ASSERT_TRUE(value) << request.body;
    const auto& calls = value->Member("params")->items.at(0).items;
    ASSERT_EQ(calls.size(), request.calls);
    for (const JsonValue& call : calls) {
      const std::string url = call.Member("params")->items.at(1).items.at(0).text;
      EXPECT_EQ(url, Utf16ToUtf8(lines.at(place++)));
    }
  }
  EXPECT_EQ(place, lines.size());
}

TEST(Aria2Rpc, RepliesAreReadCallByCall) {
  using Kind = RpcReply::Kind;
  const struct {
    const char* body;
    std::size_t calls;
    Kind kind;
    std::vector<std::pair<std::string, std::string>> results;  // gid, refusal
    std::string error;
  } cases[] = {
      {R"({"id":"cardo","jsonrpc":"2.0","result":[["2089b05ecca3d829"],["d2703803b52216d1"]]})",
       2,
       Kind::Results,
       {{"2089b05ecca3d829", ""}, {"d2703803b52216d1", ""}},
       ""},
      {" {\"result\" : [ [\"a1\"] , {\"code\":1,\"message\":\"No URI to download.\"} ] }\r\n",
       2,
       Kind::Results,
       {{"a1", ""}, {"", "No URI to download."}},
       ""},
      {R"({"result":[{"code":1,"message":"Unauthorized"}]})",
       1,
       Kind::Results,
       {{"", "Unauthorized"}},
       ""},
      {R"({"id":null,"jsonrpc":"2.0","error":{"code":1,"message":"Unauthorized"}})",
       3,
       Kind::Error,
       {},
       "Unauthorized"},
      {R"({"error":{"code":-32700,"message":"Parse error \u00e9\ud83d\ude00."}})",
       1,
       Kind::Error,
       {},
       "Parse error \xC3\xA9\xF0\x9F\x98\x80."},
      {"<html>404 Not Found</html>", 1, Kind::Unreadable, {}, ""},
      {R"({"result":[["a1"],["a2"]]})", 3, Kind::Unreadable, {}, ""},  // another count
      {R"({"result":[["a1"],["a2)", 2, Kind::Unreadable, {}, ""},      // cut short
      {R"({"result":[["a1"],[]]})", 2, Kind::Unreadable, {}, ""},
      {R"({"result":[["a1"]]} x)", 1, Kind::Unreadable, {}, ""},
      {"", 1, Kind::Unreadable, {}, ""},
  };
  for (const auto& c : cases) {
    const RpcReply reply = ReadAria2Reply(c.body, c.calls);
    EXPECT_EQ(reply.kind, c.kind) << c.body;
    std::vector<std::pair<std::string, std::string>> results;
    for (const auto& call : reply.calls) results.emplace_back(call.gid, call.refusal);
    EXPECT_EQ(results, c.results) << c.body;
    EXPECT_EQ(reply.error, c.error) << c.body;
  }
  // Nesting without end is refused, not followed down the stack.
  EXPECT_EQ(ReadAria2Reply(std::string(100000, '['), 1).kind, Kind::Unreadable);
}

// A failure stops the hand-over: what was accepted is counted, the rest is unsent, and the
// message names the address and the reason.
TEST(Aria2Rpc, AFailureStopsTheHandOverAndSaysWhatWasTaken) {
  std::vector<std::u16string> lines(30, u"http://h/f");
  lines.push_back(u"file:///etc/passwd");
  int posts = 0;
  const JsonPost post = [&](const std::string& body) {
    PostResponse response;
    if (++posts > 1) {
      response.failure = u"connection refused";
      return response;
    }
    const std::size_t calls = ParseJson(body)->Member("params")->items.at(0).items.size();
    std::string result = R"({"result":[{"code":1,"message":"bad"})";
    for (std::size_t i = 1; i < calls; ++i) result += R"(,["g"])";
    response.answered = true;
    response.status = 200;
    response.body = result + "]}";
    return response;
  };
  const Aria2Handover handover = SendToAria2(lines, {}, "", post, 1500);
  EXPECT_EQ(posts, 2);
  EXPECT_FALSE(handover.Succeeded());
  EXPECT_EQ(handover.stopped, Aria2Handover::Stop::NotConnected);
  EXPECT_EQ(handover.refused, 1u);
  EXPECT_EQ(handover.skipped, 1u);
  EXPECT_EQ(handover.accepted + handover.refused + handover.unsent, 30u);
  const std::u16string expected =
      msg::kAria2NotConnected + std::u16string(u"\r\nhttp://a/jsonrpc\r\nconnection refused\r\n") +
      Utf8ToUtf16(std::to_string(handover.accepted)) + msg::kAria2Accepted + u"\r\n1" +
      msg::kAria2Refused + u"bad\r\n  http://h/f\r\n" +
      Utf8ToUtf16(std::to_string(handover.unsent)) + msg::kAria2Unsent + u"\r\n1" +
      msg::kAria2Skipped;
  EXPECT_EQ(HandoverMessage(handover, u"http://a/jsonrpc"), expected);
}

// Each failure of the post says what happened at the address: only a connection never made
// asks whether aria2 runs.
TEST(Aria2Rpc, EachFailureOfThePostSaysWhatHappened) {
  const struct {
    HttpFailure kind;
    const char16_t* headline;
  } cases[] = {
      {HttpFailure::Refused, msg::kAria2NotConnected},
      {HttpFailure::NameNotResolved, msg::kAria2NotConnected},
      {HttpFailure::CertificateUntrusted, msg::kAria2NotConnected},
      {HttpFailure::RedirectRefused, msg::kAria2Redirected},
      {HttpFailure::Closed, msg::kAria2Closed},
      {HttpFailure::TimedOut, msg::kAria2NoAnswer},
      {HttpFailure::TooLarge, msg::kAria2NoAnswer},
      {HttpFailure::CutShort, msg::kAria2NoAnswer},
  };
  for (const auto& c : cases) {
    const std::u16string reason = MakeHttpError(c.kind, u"x").reason;
    const JsonPost post = [&](const std::string&) {
      PostResponse response;
      response.failure = reason;
      response.kind = c.kind;
      return response;
    };
    const Aria2Handover handover = SendToAria2({u"http://h/a"}, {}, "", post);
    EXPECT_EQ(HandoverMessage(handover, u"http://a/"),
              c.headline + (u"\r\nhttp://a/\r\n" + reason) + u"\r\n1" + msg::kAria2Unsent)
        << static_cast<int>(c.kind);
  }
}

// The URLs aria2 refused: the first few by name, each with its message where it differs from
// the first, and how many more.
TEST(Aria2Rpc, TheRefusedUrlsAreNamedAndTheRestCounted) {
  std::vector<std::u16string> lines;
  for (char16_t c = u'a'; c <= u'h'; ++c) lines.push_back(u"http://h/" + std::u16string(1, c));
  const JsonPost post = [](const std::string&) {
    std::string result = R"({"result":[["g"])";
    for (int i = 1; i < 8; ++i) {
      result += i == 3 ? R"(,{"code":1,"message":"other"})" : R"(,{"code":1,"message":"bad"})";
    }
    return PostResponse{true, 200, result + "]}", {}};
  };
  const Aria2Handover handover = SendToAria2(lines, {}, "", post);
  EXPECT_EQ(HandoverMessage(handover, u"http://a/"),
            u"1" + std::u16string(msg::kAria2Accepted) + u"\r\n7" + msg::kAria2Refused +
                u"bad\r\n  http://h/b\r\n  http://h/c\r\n  http://h/d (other)\r\n"
                u"  http://h/e\r\n  http://h/f\r\n  " +
                msg::kAria2MoreRefused + u"2 件");
}

TEST(Aria2Rpc, TheCommandSaysHowItWent) {
  const JsonPost accepting = [](const std::string&) {
    return PostResponse{true, 200, R"({"result":[["g1"]]})", {}};
  };
  const JsonPost unauthorized = [](const std::string&) {
    return PostResponse{true, 400, R"({"error":{"code":1,"message":"Unauthorized"}})", {}};
  };
  const struct {
    std::vector<const char16_t*> lines;
    std::u16string folder;
    const JsonPost* post;
    std::u16string text;
    const char16_t* title;
  } cases[] = {
      {{}, u"", &accepting, msg::kNoList, u"エラー"},
      {{u"http://h/a"},
       u"a\nb",
       &accepting,
       msg::kBadExportFolder + std::u16string(u"\r\na\nb"),
       u"エラー"},
      {{u"http://h/a"}, u"", &accepting, u"1" + std::u16string(msg::kAria2Accepted), u"情報"},
      {{u"http://h/a"},
       u"",
       &unauthorized,
       msg::kAria2Error + std::u16string(u"Unauthorized\r\n1") + msg::kAria2Unsent,
       u"エラー"},
  };
  for (const auto& c : cases) {
    testing::ShellFixture f;
    for (const char16_t* line : c.lines) f.list.AppendLine(line);
    ExportOptions options;
    options.folder = c.folder;
    // As the window's command runs it: the checks, then the hand-over of the whole list.
    if (ReadyForAria2(f.shell, options)) {
      ShowHandover(f.ui, SendToAria2(f.list.Whole().LineRefs(), options, "s", *c.post),
                   u"http://a/");
    }
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, c.text);
    EXPECT_EQ(f.ui.messages[0].title, c.title);
  }
}

// cardo-cli export --rpc: only the aria2 format, never with a file; nothing listening is a
// failure.
TEST(Aria2Rpc, TheCliSendsOnlyTheAria2FormatAndFailsWithoutAria2) {
  testing::TempDir dir;
  dir.Write(u"u.lst", "http://h/a.zip\r\n");
  const std::string list = Utf16ToUtf8(dir.File(u"u.lst"));
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--format", "curl", "--rpc", list},
        {"--format", "aria2", "--rpc", "--out", Utf16ToUtf8(dir.File(u"x")), list},
        {"--format", "aria2", "--rpc-secret", "s", list}}) {
    EXPECT_EQ(cli::RunExport(bad, stdin, stdout, stderr), 2) << bad[1];
  }
  const std::string closed =
      "http://127.0.0.1:" + std::to_string(testing::LoopbackServer::ClosedPort()) + "/jsonrpc";
  EXPECT_EQ(cli::RunExport({"--format", "aria2", "--rpc", closed, list}, stdin, stdout, stderr), 1);
  EXPECT_EQ(dir.Read(u"x"), "<missing>");
}

}  // namespace
}  // namespace cardo
