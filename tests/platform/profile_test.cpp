// The profile seam, run natively against our reader/writer and under Wine against the
// system's functions: both must give the same values and the same files.
#include <gtest/gtest.h>

#include "app/platform/profile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::TempDir;

constexpr char kSample[] =
    "'header line\r\n"
    "'    note: 3.00\r\n"
    "\r\n"
    "[PREF]\r\n"
    "properties=194\r\n"
    "  Spaced  =   padded value  \r\n"
    "Quoted=\"in quotes\"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "NoValue\r\n"
    "Long=0123456789\r\n"
    "[other]\r\n"
    "properties=1\r\n";

TEST(Profile, ReadsLikeTheSystem) {
  TempDir dir;
  dir.Write(u"a.ini", kSample);
  const auto file = dir.File(u"a.ini");
  const struct {
    const char* section;
    const char* key;
    std::size_t size;
    const char* expected;
  } cases[] = {
      {"PREF", "properties", 11, "194"},
      {"pref", "PROPERTIES", 11, "194"},       // names match without regard to case
      {"PREF", "Spaced", 64, "padded value"},  // blanks around names and values go
      {"PREF", "Quoted", 64, "in quotes"},
      {"PREF", "Single", 64, "x"},
      {"PREF", "Half", 64, "\"open"},
      {"PREF", "Empty", 64, ""},
      {"PREF", "NoValue", 64, ""},
      {"PREF", "Long", 5, "0123"},  // at most size - 1 bytes
      {"PREF", "Long", 1, ""},
      {"PREF", "Missing", 64, ""},
      {"Nowhere", "properties", 64, ""},
      {"other", "properties", 64, "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SystemProfile().Read(c.section, c.key, c.size, file), c.expected)
        << c.section << "/" << c.key << " size " << c.size;
  }
  EXPECT_EQ(SystemProfile().Read("PREF", "properties", 11, dir.File(u"missing.ini")), "");
}

TEST(Profile, FolderNamesTheCodePageCannotSpell) {
  TempDir dir;
  // "café" has no spelling in code page 932; the profile reaches it by its short name.
  const std::u16string folder = dir.path() + u"caf\u00E9";
#ifdef _WIN32
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr));
#else
  ASSERT_EQ(::mkdir(Utf16ToUtf8(folder).c_str(), 0755), 0);
#endif
  const std::u16string file = folder + PathSeparator() + u"CARDO.INI";
  auto& profile = SystemProfile();
  EXPECT_TRUE(profile.CanReach(file));
  ASSERT_TRUE(profile.Write("PREF", "ListMax", "12", file));
  EXPECT_EQ(profile.Read("PREF", "ListMax", 16, file), "12");
  EXPECT_TRUE(SystemFileSystem().Remove(file));
}

TEST(Profile, ListsTheKeysOfASection) {
  TempDir dir;
  dir.Write(u"a.ini", "[A]\r\nx=1\r\nY=2\r\n[B]\r\nz=3\r\n");
  const std::vector<std::string> expected = {"x", "Y"};
  EXPECT_EQ(SystemProfile().ReadKeyNames("a", dir.File(u"a.ini")), expected);
  EXPECT_TRUE(SystemProfile().ReadKeyNames("C", dir.File(u"a.ini")).empty());
}

TEST(Profile, WritesFilesLikeTheSystem) {
  const struct {
    const char* name;
    const char* before;  // nullptr: no file yet
    std::vector<std::array<const char*, 3>> writes;
    const char* after;
  } cases[] = {
      {"new file", nullptr, {{"PREF", "a", "1"}}, "[PREF]\r\na=1\r\n"},
      {"replace in place",
       "[PREF]\r\na=1\r\nb=2\r\n",
       {{"PREF", "A", "9"}},
       "[PREF]\r\na=9\r\nb=2\r\n"},
      {"new key at the end of its section",
       "[PREF]\r\na=1\r\n[HISTORY]\r\nx=1\r\n",
       {{"PREF", "b", "2"}},
       "[PREF]\r\na=1\r\nb=2\r\n[HISTORY]\r\nx=1\r\n"},
      {"new section at the end",
       "[PREF]\r\na=1\r\n",
       {{"WINDOW", "width", "9600"}, {"WINDOW", "height", "7200"}},
       "[PREF]\r\na=1\r\n[WINDOW]\r\nwidth=9600\r\nheight=7200\r\n"},
      {"header kept, blank line dropped",
       "'----\r\n'  title\r\n'    version:3.00\r\n'----\r\n\r\n[PREF]\r\na=1\r\n",
       {{"PREF", "b", "x y"}},
       "'----\r\n'  title\r\n'    version:3.00\r\n'----\r\n[PREF]\r\na=1\r\nb=x y\r\n"},
      {"leading blanks of a value dropped", "[P]\r\n", {{"P", "k", "  v "}}, "[P]\r\nk=v \r\n"},
      {"empty value", "[P]\r\nk=1\r\n", {{"P", "k", ""}}, "[P]\r\nk=\r\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const auto file = dir.File(u"t.ini");
    if (c.before) dir.Write(u"t.ini", c.before);
    for (const auto& w : c.writes) EXPECT_TRUE(SystemProfile().Write(w[0], w[1], w[2], file));
    EXPECT_EQ(dir.Read(u"t.ini"), c.after) << c.name;
  }
}

TEST(Profile, WritesWholeSectionsLikeTheSystem) {
  const struct {
    const char* before;  // nullptr: no file yet
    const char* section;
    ProfileStore::Entries entries;
    const char* after;
  } cases[] = {
      {nullptr, "P", {{"a", "1"}}, "[P]\r\na=1\r\n"},
      {"'h\r\n\r\n[P]\r\nold=1\r\nb=2\r\n[Q]\r\nq=1\r\n",
       "p",
       {{"b", "3"}, {"c", " x "}},
       "'h\r\n[P]\r\nb=3\r\nc=x \r\n[Q]\r\nq=1\r\n"},
      {"[P]\r\na=1\r\n", "New", {{"k", ""}}, "[P]\r\na=1\r\n[New]\r\nk=\r\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const auto file = dir.File(u"t.ini");
    if (c.before) dir.Write(u"t.ini", c.before);
    EXPECT_TRUE(SystemProfile().WriteSection(c.section, c.entries, file));
    EXPECT_EQ(dir.Read(u"t.ini"), c.after) << c.section;
  }
}

}  // namespace
}  // namespace cardo
