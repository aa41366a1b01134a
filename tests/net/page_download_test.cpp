#include "app/net/page_download.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/fakes.h"

namespace cardo {
namespace {

// A cancelled download's worker goes on until its call under way returns: whatever it does
// with its page file then must not reach the page the next download wrote.
TEST(PageFile, ACancelledDownloadLeavesTheNextPageAlone) {
  const struct {
    const char* shape;
    bool openedBeforeCancel;
  } cases[] = {
      {"its bytes still buffered when it is cancelled", true},
      {"it reaches the body only after the next download ended", false},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    const std::u16string path = dir.File(u"TEMP.HTML");
    DownloadControl cancelled;
    std::optional<PageFile> late;
    if (c.openedBeforeCancel) {
      late.emplace(path, cancelled);
      EXPECT_TRUE(late->Write("<html>the cancelled page</html>")) << c.shape;
    }
    cancelled.Cancel();
    DownloadControl next;
    {
      PageFile file(path, next);
      ASSERT_TRUE(file.Write("new")) << c.shape;
      ASSERT_TRUE(file.Close()) << c.shape;
    }
    if (!late) late.emplace(path, cancelled);
    EXPECT_FALSE(late->Write("late bytes")) << c.shape;
    late.reset();  // the worker ends
    EXPECT_EQ(dir.Read(u"TEMP.HTML"), "new") << c.shape;
  }
}

}  // namespace
}  // namespace cardo
