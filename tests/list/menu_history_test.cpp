#include <gtest/gtest.h>

#include "app/list/menu_history.h"
#include "app/platform/file_system.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::FakeHistory;

std::vector<std::u16string> Items(const CMenuHistory& h) {
  std::vector<std::u16string> out;
  for (int i = 1; i <= h.PlaceCount(); ++i) out.push_back(h.MenuItem(i));
  return out;
}

TEST(MenuHistory, AddItemMovesToTheTop) {
  FakeHistory f;
  std::vector<std::u16string> overflowed;
  f.history.OverFlowItem = [&](const std::u16string& s) { overflowed.push_back(s); };
  int added = 0;
  f.history.HistoryAddItem = [&](const std::u16string&) { ++added; };
  for (const auto* p : {u"1", u"2", u"3", u"4", u"5"}) f.history.AddItem(p);
  EXPECT_EQ(Items(f.history), (std::vector<std::u16string>{u"5", u"4", u"3", u"2", u"1"}));
  f.history.AddItem(u"6");  // a sixth path drops the oldest
  EXPECT_EQ(Items(f.history), (std::vector<std::u16string>{u"6", u"5", u"4", u"3", u"2"}));
  EXPECT_EQ(overflowed, (std::vector<std::u16string>{u"1"}));
  f.history.AddItem(u"4");  // at place 3: to the top, 1 and 2 move down, 4 and 5 stay
  EXPECT_EQ(Items(f.history), (std::vector<std::u16string>{u"4", u"6", u"5", u"3", u"2"}));
  f.history.AddItem(u"a");
  f.history.AddItem(u"A");  // case counts
  EXPECT_EQ(f.history.MenuItem(1), u"A");
  EXPECT_EQ(f.history.MenuItem(2), u"a");
  EXPECT_EQ(added, 9);
}

TEST(MenuHistory, EmptyItemsNeverOpenAGap) {
  FakeHistory f;
  f.history.AddItem(u"b");
  f.history.AddItem(u"");
  EXPECT_EQ(Items(f.history), (std::vector<std::u16string>{u"b", u"", u"", u"", u""}));
}

TEST(MenuHistory, CaptionsAndVisibility) {
  FakeHistory f;
  f.history.SetHistoryNothingMessage(u"履歴はありません");
  EXPECT_EQ(f.places[0].caption, u"履歴はありません");
  EXPECT_FALSE(f.places[0].enabled);
  EXPECT_TRUE(f.places[0].visible);
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(f.places[static_cast<std::size_t>(i)].visible);

  f.history.AddItem(u"a.lst");
  f.history.AddItem(u"b.lst");
  EXPECT_EQ(f.places[0].caption, u"&1: b.lst");
  EXPECT_EQ(f.places[1].caption, u"&2: a.lst");
  EXPECT_TRUE(f.places[0].enabled);
  EXPECT_TRUE(f.places[1].visible);
  EXPECT_FALSE(f.places[2].visible);
  EXPECT_EQ(f.history.MenuCount(), 2);
}

TEST(MenuHistory, CompressPath) {
  const struct {
    const char16_t* path;
    int size;
    const char16_t* shown;
  } cases[] = {
      {u"C:\\aaa\\bbb\\ccc\\file.lst", 40, u"C:\\aaa\\bbb\\ccc\\file.lst"},
      {u"C:\\aaa\\bbb\\ccc\\file.lst", 24, u"C:\\aaa\\bbb\\ccc\\file.lst"},
      {u"C:\\aaa\\bbb\\ccc\\file.lst", 23, u"C:\\...\\ccc\\file.lst"},
      {u"C:\\aaa\\bbb\\ccc\\file.lst", 19, u"C:\\...\\file.lst"},
      {u"C:\\aaa\\bbb\\ccc\\file.lst", 5, u"C:\\...\\file.lst"},
      {u"nofolders-at-all-and-very-long.lst", 10, u"nofolders-at-all-and-very-long.lst"},
      {u"C:\\file-name-longer-than-the-limit.lst", 10, u"C:\\file-name-longer-than-the-limit.lst"},
      // 39 characters are shown whole; 40 are shortened
      {u"C:\\Documents\\Lists\\Pictures\\abcdefg.lst", 40,
       u"C:\\Documents\\Lists\\Pictures\\abcdefg.lst"},
      {u"C:\\Documents\\Lists\\Pictures\\abcdefgh.lst", 40,
       u"C:\\...\\Lists\\Pictures\\abcdefgh.lst"},
      // A network path keeps its server and share.
      {u"\\\\server\\share\\aaa\\bbb\\f.lst", 20, u"\\\\server\\share\\...\\f.lst"},
      {u"\\\\server\\share\\aaaa\\bbb\\f.lst", 29, u"\\\\server\\share\\...\\bbb\\f.lst"},
      {u"\\\\server-with-a-long-name\\f.lst", 10, u"\\\\server-with-a-long-name\\f.lst"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompressPath(c.path, c.size, u'\\'), c.shown) << std::u16string(c.path).size();
  }
}

}  // namespace
}  // namespace cardo
