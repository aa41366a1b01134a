// The table of server behaviours (http_behaviours.h) through the built cardo-cli (natively,
// over libcurl) and cardo-cli.exe (under Wine, over WinHTTP): extract --url prints the page's
// one link, or fails saying why in the words every face says.
#include <gtest/gtest.h>

#include "app/platform/text.h"
#include "tests/cli/cli_runner.h"
#include "tests/net/http_behaviours.h"
#include "tests/net/http_places.h"

namespace cardo {
namespace {

TEST(CliFaces, ExtractFromAUrlGivesEveryRowsOutcome) {
  const testing::ScriptServer tls(CARDO_TLS_SERVER_SCRIPT);
  ASSERT_TRUE(tls.ready()) << "tls_server.py did not start";
  for (const testing::Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kCli)) continue;
    const testing::Places places(row, tls);
    const std::string url = places.Fill(row.ask);
    std::vector<std::string> args = {"extract", "--filter", "*.zip", "--url", url};
    if (!testing::kExe) args.insert(args.end(), {"--ca-file", tls.caFile()});
    const testing::TempDir dir;
    const testing::CliRun run = testing::Cli(dir, args, "");
    const testing::Expected expected = places.Expect(row);
    if (expected.failure == HttpFailure::None) {
      EXPECT_EQ(run.status, 0) << row.name << ": " << run.err;
      EXPECT_EQ(run.out, testing::AsPrinted(places.Fill(row.listed) + "\n", false)) << row.name;
    } else {
      EXPECT_EQ(run.status, 1) << row.name;
      EXPECT_EQ(run.out, "") << row.name;
      std::string err = run.err;
      std::erase(err, '\r');
      EXPECT_EQ(err, "cardo-cli: " + url + ": " + Utf16ToUtf8(expected.reason) + "\n") << row.name;
    }
  }
}

TEST(CliFaces, TheSendToAria2FollowsNoRedirect) {
  const testing::ScriptServer tls(CARDO_TLS_SERVER_SCRIPT);
  ASSERT_TRUE(tls.ready()) << "tls_server.py did not start";
  for (const testing::Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kRpcRedirect)) continue;
    const testing::Places places(row, tls);
    const std::string address = places.Fill(row.ask);
    const testing::TempDir dir;
    dir.Write(u"list.txt", "http://h/a.zip\n");
    const testing::CliRun run =
        testing::Cli(dir,
                     {"export", "--format", "aria2", "--rpc", address, "--rpc-secret", "s3cret",
                      Utf16ToUtf8(dir.File(u"list.txt"))},
                     "");
    EXPECT_EQ(run.status, 1) << row.name;
    EXPECT_EQ(run.out, testing::AsPrinted("0 accepted by aria2 at " + address +
                                              "\n1 not sent or not known to be accepted\n",
                                          false))
        << row.name;
    std::string err = run.err;
    std::erase(err, '\r');
    // In English natively (a C locale), in Japanese under a Japanese Windows.
    EXPECT_EQ(err, "cardo-cli: " + address +
                       (testing::kExe ? " は転送を返しました。転送には従いません(トークンと URL "
                                        "はほかのアドレスへは送りません): "
                                      : " answered with a redirect, which is not followed (the "
                                        "token and the URLs go to no other address): ") +
                       Utf16ToUtf8(places.Expect(row).reason) + "\n")
        << row.name;
    EXPECT_TRUE(places.OtherUntouched(row)) << row.name;
  }
}

}  // namespace
}  // namespace cardo
