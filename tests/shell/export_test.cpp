#include "app/shell/export.h"

#include <gtest/gtest.h>

#include "app/platform/codec.h"
#include "app/shell/messages.h"
#include "tests/shell/shell_fixture.h"

namespace cardo {
namespace {

using testing::ShellFixture;
using testing::TempDir;
using Lines = std::vector<std::u16string>;

TEST(Export, FileTextsAndCommandLine) {
  const std::u16string note = std::u16string(msg::kIriaNote) + u"https://cardo.example/";
  const struct {
    Manager manager;
    Lines lines;
    std::u16string text;
  } cases[] = {
      {Manager::ReGet, {u"a", u"", u"b"}, u"a\r\n\r\nb"},
      {Manager::ReGet, {u"a"}, u"a"},
      {Manager::Iria, {u"a"}, u"#Exported By Cardo Ver 3.00\r\n" + note + u"\r\n\r\nurl=a\r\n"},
      {Manager::Iria,
       {u"a", u""},
       u"#Exported By Cardo Ver 3.00\r\n" + note + u"\r\n\r\nurl=a\r\n\r\nurl=\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExportText(c.manager, c.lines, u"3.00"), c.text);
  EXPECT_EQ(ManagerCommandLine(u"C:\\Program Files\\Iria\\Iria.exe", u"C:\\c\\TEMP.IRI"),
            u"\"C:\\Program Files\\Iria\\Iria.exe\" \"C:\\c\\TEMP.IRI\"");
}

TEST(Export, WritesTheFileAndStartsTheManagerOrSaysWhy) {
  TempDir dir;
  dir.Write(u"manager.exe", "");
  const auto manager = dir.File(u"manager.exe");
  const struct {
    Lines lines;
    std::u16string managerPath;
    bool failWrite;
    StartResult start;
    std::u16string message;  // empty: none
    bool written;
  } cases[] = {
      {{testing::U("http://例.jp/a")}, manager, false, {77, u""}, u"", true},
      {{}, manager, false, {77, u""}, msg::kNoList, false},
      {{u"a"},
       dir.File(u"missing.exe"),
       false,
       {77, u""},
       msg::kReGetNotFound + (u"\r\n" + dir.File(u"missing.exe")),
       false},
      {{u"a"}, dir.path(), false, {77, u""}, msg::kReGetNotFound + (u"\r\n" + dir.path()), false},
      {{u"a"}, manager, true, {77, u""}, u"injected failure", false},
      {{u"a"}, manager, false, {0, u"not a program"}, u"not a program", true},
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll(c.lines);
    f.fs.failWrites = c.failWrite;
    f.ui.startResult = c.start;
    SystemFileSystem().Remove(dir.File(u"TEMP.LST"));
    ExportList(f.shell, Manager::ReGet, c.managerPath, dir.path(), u"3.00");
    ASSERT_EQ(f.ui.messages.size(), c.message.empty() ? 0u : 1u) << c.message.size();
    if (!c.message.empty()) EXPECT_EQ(f.ui.messages[0].text, c.message);
    EXPECT_EQ(dir.Read(u"TEMP.LST") != "<missing>", c.written);
    EXPECT_EQ(f.ui.started.empty(), !c.written);  // nothing starts without its file
    if (c.written) {
      EXPECT_EQ(dir.Read(u"TEMP.LST"), WideToAnsi(ExportText(Manager::ReGet, c.lines, u"")));
      EXPECT_EQ(f.ui.started, Lines{ManagerCommandLine(manager, dir.File(u"TEMP.LST"))});
    }
    EXPECT_EQ(f.title, u"Cardo - [無題]");
  }
}

}  // namespace
}  // namespace cardo
