// cardo-cli extract --url against the end-to-end tests' web server, started here on
// localhost: libcurl with the test CA given by --ca-file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "app/net/http_failure.h"
#include "app/platform/text.h"
#include "cli/extract_command.h"
#include "tests/e2e/charset_pages.h"
#include "tests/support/fakes.h"
#include "tests/support/own_hosts.h"

namespace cardo {
namespace {

class ExtractUrl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A proxy the machine sets for the world is not for this server.
    setenv("no_proxy", "localhost,127.0.0.1", 1);
    dir = new testing::TempDir();
    const std::string folder = Utf16ToUtf8(dir->path());
    const std::string command =
        "python3 '" + std::string(CARDO_WEB_PAGES_SCRIPT) + "' '" + folder + "' >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) return;
    for (int i = 0; i < 600; ++i) {
      if (std::istringstream(dir->Read(u"ports.txt")) >> https >> untrusted >> http) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ca = folder + "ca.pem";
  }
  static void TearDownTestSuite() {
    dir->Write(u"stop", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    delete dir;
  }
  void SetUp() override { ASSERT_NE(https, 0) << "web_pages.py did not start"; }

  // Runs the command; its exit status, standard output and standard error.
  static int Run(std::vector<std::string> args, std::string& out, std::string& err) {
    args.insert(args.begin(), "--filter");
    args.insert(args.begin() + 1, "*.zip");
    std::FILE* o = std::tmpfile();
    std::FILE* e = std::tmpfile();
    const int status = cli::RunExtract(args, stdin, o, e);
    for (auto [file, text] : {std::pair{o, &out}, std::pair{e, &err}}) {
      std::fflush(file);
      std::rewind(file);
      text->clear();
      char chunk[4096];
      std::size_t n;
      while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, n);
      std::fclose(file);
    }
    return status;
  }
  static std::string Https(int port, const char* path) {
    return "https://localhost:" + std::to_string(port) + path;
  }

  static testing::TempDir* dir;
  static int https, untrusted, http;
  static std::string ca;
};
testing::TempDir* ExtractUrl::dir = nullptr;
int ExtractUrl::https = 0, ExtractUrl::untrusted = 0, ExtractUrl::http = 0;
std::string ExtractUrl::ca;

TEST_F(ExtractUrl, PrintsThePagesUrlsWithTheAddressItCameFrom) {
  const std::string base = Https(https, "");
  const std::string plain = "http://localhost:" + std::to_string(http);
  const struct {
    std::string url;
    std::string printed;
  } cases[] = {
      {base + "/page.html", base + "/abs.zip\n" + base + "/rel/two.zip\n"},
      {"localhost:" + std::to_string(http) + "/start", base + "/final/x.zip\n"},
      {base + "/gzip.html", base + "/g.zip\n"},
      {base + "/utf8.html", base + "/%ED%95%9C%EA%B5%AD/%EC%82%AC%EC%A7%84.zip\n"},
      // A Location as raw bytes: the page's base is the address requested, encoded.
      {plain + "/raw-utf8", plain + "/%E6%97%A5%E6%9C%AC/x.zip\n"},
      {plain + "/raw-space", plain + "/a%20b/x.zip\n"},
      {plain + "/raw-cp932", plain + "/%93%FA%96%7B/x.zip\n"},
      {plain + "/raw-utf8-slash", plain + "/%E8%AA%9E/x.zip\n"},
  };
  for (const auto& c : cases) {
    std::string out, err;
    EXPECT_EQ(Run({"--url", c.url, "--ca-file", ca}, out, err), 0) << c.url << ": " << err;
    EXPECT_EQ(out, c.printed) << c.url;
  }
}

// The built tool takes a host beyond ASCII as curl does: only its A-label resolves here. The
// page redirects: its address, the base of its links, is the one requested, A-label and all.
TEST_F(ExtractUrl, AnInternationalHostIsRequestedByItsALabel) {
  testing::TempDir own;
  const auto prefix = testing::OwnHostsPrefix(own, "127.0.0.1 localhost xn--bcher-kva.example\n");
  if (!prefix) GTEST_SKIP() << "no mount namespace of our own here (unshare refused)";
  const std::string page =
      "http://b\xC3\xBC"
      "cher.example:" +
      std::to_string(http);
  const std::string out = Utf16ToUtf8(own.File(u"out"));
  const std::string command = *prefix + "'" + CARDO_CLI + "' extract --filter '*.zip' --url '" +
                              page + "/raw-space' >'" + out + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(own.Read(u"out"),
            "http://xn--bcher-kva.example:" + std::to_string(http) + "/a%20b/x.zip\n");
}

TEST_F(ExtractUrl, EveryCharsetAPageDeclaresGivesTheSameUrls) {
  for (const char* page : testing::kCharsetPages) {
    std::string out, err;
    EXPECT_EQ(Run({"--url", testing::CharsetPageUrl(http, page)}, out, err), 0) << page << err;
    EXPECT_EQ(out, testing::CharsetPageUrls(http)) << page;
  }
}

TEST_F(ExtractUrl, AForcedEncodingWinsOverThePagesOwn) {
  // A server may declare the wrong charset; the user who says which one it is is believed.
  std::string declared, forced, err;
  ASSERT_EQ(Run({"--url", Https(https, "/utf8.html"), "--ca-file", ca}, declared, err), 0) << err;
  ASSERT_EQ(Run({"--url", Https(https, "/utf8.html"), "--ca-file", ca, "--input-encoding", "cp932"},
                forced, err),
            0)
      << err;
  EXPECT_NE(forced, declared);
  EXPECT_EQ(forced.rfind(Https(https, "/"), 0), 0u) << forced;
}

TEST_F(ExtractUrl, AFailedDownloadSaysWhyAndPrintsNothing) {
  const std::string untrustedIssuer =
      Utf16ToUtf8(MakeHttpError(HttpFailure::CertificateUntrusted).reason);
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"--url", Https(untrusted, "/page.html"), "--ca-file", ca}, untrustedIssuer},
      // The system trusts no test CA.
      {{"--url", Https(https, "/page.html")}, untrustedIssuer},
      {{"--url", Https(https, "/missing.html"), "--ca-file", ca}, "HTTP/1.0 404 Not Found"},
      {{"--url", Https(https, "/loop"), "--ca-file", ca}, "転送先が循環しています"},
  };
  for (const auto& c : cases) {
    std::string out, err;
    EXPECT_EQ(Run(c.args, out, err), 1) << c.args[1];
    EXPECT_EQ(out, "") << c.args[1];
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
  }
  std::string out, err;
  EXPECT_EQ(Run({"--url", Https(https, "/page.html"), "page.html"}, out, err), 2);
}

}  // namespace
}  // namespace cardo
