// The built cardo-cli over a gallery on localhost (gallery_server.py): an index, the 20 pages
// it links to and their 10 images each, with the server counting the requests it answers at
// once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::TempDir;

class ExtractGallery : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("no_proxy", "localhost,127.0.0.1", 1);
    const std::string command = "python3 '" + std::string(CARDO_GALLERY_SCRIPT) + "' '" +
                                Utf16ToUtf8(dir.path()) + "' >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int i = 0; i < 600 && !(std::istringstream(dir.Read(u"port.txt")) >> port); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(port, 0) << "gallery_server.py did not start";
  }
  void TearDown() override { dir.Write(u"stop", ""); }

  // The status of cardo-cli extract with `arguments`; its output in `out`, errors in `err`.
  int Extract(const std::string& arguments, std::string& out, std::string& err) {
    const std::string command = std::string(CARDO_CLI) + " extract " + arguments + " >'" +
                                Utf16ToUtf8(dir.File(u"out")) + "' 2>'" +
                                Utf16ToUtf8(dir.File(u"err")) + "'";
    const int status = std::system(command.c_str());
    out = dir.Read(u"out");
    err = dir.Read(u"err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
  // What the server answers at `path` (its own counters), or "" when it cannot be asked.
  std::string Ask(const std::string& path) {
    const std::string command =
        "python3 -c \"import urllib.request,sys;sys.stdout.write("
        "urllib.request.urlopen('" +
        Url(path) + "').read().decode())\" >'" + Utf16ToUtf8(dir.File(u"asked")) + "'";
    if (std::system(command.c_str()) != 0) return "";
    return dir.Read(u"asked");
  }
  int MostAtOnce() {
    const std::string command =
        "python3 -c \"import urllib.request,sys;sys.stdout.write("
        "urllib.request.urlopen('" +
        Url("/most") + "').read().decode())\" >'" + Utf16ToUtf8(dir.File(u"most")) + "'";
    if (std::system(command.c_str()) != 0) return -1;
    return std::atoi(dir.Read(u"most").c_str());
  }

  TempDir dir;
  int port = 0;
};

TEST_F(ExtractGallery, DepthOneGivesEveryImageOfEveryPageFourAtATime) {
  std::string out, err;
  ASSERT_EQ(Extract("--filter '*.jpg' --depth 1 --url " + Url("/"), out, err), 0) << err;
  std::string expected;
  for (int n = 1; n <= 20; ++n) {
    for (int m = 1; m <= 10; ++m) {
      expected += Url("/img/" + std::to_string(n) + "-" + std::to_string(m) + ".jpg") + "\n";
    }
  }
  EXPECT_EQ(out, expected);
  EXPECT_EQ(err, "");
  const int most = MostAtOnce();
  EXPECT_LE(most, 4);
  EXPECT_GT(most, 1);
}

TEST_F(ExtractGallery, SeveralPagesAndTheCapAndTheirFailures) {
  std::string out, err;
  // Two pages given, one missing: the found ones printed, the missing one reported.
  EXPECT_EQ(Extract("--filter '*.jpg' --url " + Url("/page/2.html") + " --url " +
                        Url("/missing.html") + " --url " + Url("/page/1.html"),
                    out, err),
            1);
  EXPECT_EQ(out.substr(0, out.find('\n')), Url("/img/2-1.jpg"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 20);
  EXPECT_NE(err.find(Url("/missing.html") + ": "), std::string::npos) << err;
  // The cap counts the index too.
  EXPECT_EQ(Extract("--filter '*.jpg' --depth 1 --max-pages 3 --url " + Url("/"), out, err), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 20);
  EXPECT_EQ(err, "cardo-cli: 18 linked pages left out (--max-pages 3)\n");
  EXPECT_EQ(Extract("--depth 2 --url " + Url("/"), out, err), 2);
}

TEST_F(ExtractGallery, APageARedirectLeadsToIsFetchedOnce) {
  std::string out, err;
  ASSERT_EQ(Extract("--filter '*.jpg' --depth 1 --url " + Url("/redirecting/"), out, err), 0)
      << err;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10) << out;
  EXPECT_EQ(Ask("/count/page/5.html"), "1");
  EXPECT_EQ(Ask("/count/redir.html"), "1");
}

// What was too long for a URL is said after a run of several pages as after one page.
TEST_F(ExtractGallery, AStretchTooLongForAUrlIsSaid) {
  std::string out, err;
  EXPECT_EQ(Extract("--filter '*.jpg' --url " + Url("/long.html") + " --url " + Url("/page/2.html"),
                    out, err),
            0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 12) << out;
  EXPECT_EQ(err, "cardo-cli: left out 1 stretch(es) of over 512 KiB, too long for a URL\n");
}

TEST_F(ExtractGallery, AStartPageThatIsNoPageIsNotScannedAndSaysSo) {
  const struct {
    const char* path;
    const char* type;
  } cases[] = {{"/file.zip", "application/zip"}, {"/photo.jpg", "image/jpeg"}};
  for (const auto& c : cases) {
    std::string out, err;
    EXPECT_EQ(Extract("--url " + Url(c.path), out, err), 1) << c.path;
    EXPECT_EQ(out, "") << c.path;
    EXPECT_EQ(err, "cardo-cli: " + Url(c.path) + ": HTML でもテキストでもない (" + c.type +
                       ") ため、抜き出しませんでした。\n");
    // Among several pages it is a failed page too.
    EXPECT_EQ(Extract("--filter '*.jpg' --url " + Url("/page/1.html") + " --url " + Url(c.path),
                      out, err),
              1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10) << c.path;
  }
}

}  // namespace
}  // namespace cardo
