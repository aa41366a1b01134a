#include "app/generators/regular_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "cli/generate_command.h"

namespace cardo {
namespace {

using Names = std::vector<std::u16string>;

Names Generate(const RegularListOptions& options, std::size_t limit = 100000) {
  Names names;
  GenerateRegularList(options, [&](const std::u16string& name) {
    names.push_back(name);
    return names.size() < limit;
  });
  return names;
}

TEST(RegularList, PaddingAndVolumeLetters) {
  EXPECT_EQ(ZeroPad(7, 3), u"007");
  EXPECT_EQ(ZeroPad(123, 3), u"123");
  EXPECT_EQ(ZeroPad(1234, 3), u"1234");
  EXPECT_EQ(ZeroPad(5, 0), u"5");
  std::u16string letters;
  for (int i = -1; i <= 26; ++i) letters += VolumeLetter(i);
  EXPECT_EQ(letters, u"rrstuvwxyzabcdefghijklmnopqr");  // outside 0-25 counts as 0
}

TEST(RegularList, NamesOfEveryMode) {
  RegularListOptions padded{u"A", u"", false, 1, 3, true, 3};
  RegularListOptions fileName{u"A", u"jpg", true, 9, 11};
  RegularListOptions volumes{u"A", u"", false, 98, 1};
  volumes.winRar = true;
  volumes.endLetter = 1;
  volumes.withRar = true;
  RegularListOptions volumesInName = volumes;
  volumesInName.numberInFileName = true;
  volumesInName.extension = u"part";
  RegularListOptions empty{u"A", u"", false, 5, 4};
  const struct {
    RegularListOptions options;
    Names names;
  } cases[] = {
      {padded, {u"A.001", u"A.002", u"A.003"}},
      {fileName, {u"A9.jpg", u"A10.jpg", u"A11.jpg"}},
      {volumes, {u"A.r98", u"A.r99", u"A.s00", u"A.s01", u"A.rar"}},
      {volumesInName, {u"Ar98.part", u"Ar99.part", u"As00.part", u"As01.part", u"Arar.part"}},
      {empty, {}},  // start above end: nothing, and no message
  };
  for (const auto& c : cases) EXPECT_EQ(Generate(c.options), c.names);

  RegularListOptions stepped{u"A", u"", false, 1, 10};
  stepped.step = 4;
  RegularListOptions steppedVolumes = volumes;
  steppedVolumes.step = 2;
  const struct {
    RegularListOptions options;
    Names names;
  } steps[] = {
      {stepped, {u"A.1", u"A.5", u"A.9"}},
      {steppedVolumes, {u"A.r98", u"A.s00", u"A.rar"}},  // positions step across the letter
  };
  for (const auto& c : steps) EXPECT_EQ(Generate(c.options), c.names);
  RegularListOptions top{u"u", u"", false, 32760, 32767};
  top.step = 32767;
  EXPECT_EQ(Generate(top), Names{u"u.32760"});

  RegularListOptions full{u"u", u"", false, 0, 32767};
  EXPECT_EQ(Generate(full, 10).size(), 10u);  // the sink stops it (a full list)
  EXPECT_EQ(Generate(full).size(), 32768u);
}

TEST(RegularList, ChecksInTheWindowsOrder) {
  const struct {
    std::int32_t padWidth, start, end;
    bool winRar;
    int startLetter, endLetter;
    RegularListError error;
    std::int32_t step = 1;
  } cases[] = {
      {99999, 0, 0, false, 0, 0, RegularListError::BadPadWidth},
      {-1, 0, 0, true, 0, 0, RegularListError::BadPadWidth},
      {3, 100, 0, true, 0, 0, RegularListError::StartTooLarge},
      {3, 0, 100, true, 0, 0, RegularListError::EndTooLarge},
      {3, 1, 98, true, 1, 0, RegularListError::StartAfterEnd},
      {3, 5, 4, false, 0, 0, RegularListError::None},
      {3, 0, 99, true, 30, 2, RegularListError::None},  // a damaged letter index counts as 0
      {3, 0, 0, false, 0, 0, RegularListError::BadStep, 0},
      {3, 0, 0, false, 0, 0, RegularListError::BadStep, 32768},
      {99999, 0, 0, false, 0, 0, RegularListError::BadPadWidth, 0},  // the width is first
      {3, 100, 0, true, 0, 0, RegularListError::BadStep, -1},        // then the step
  };
  for (const auto& c : cases) {
    RegularListOptions o;
    o.padWidth = c.padWidth;
    o.start = c.start;
    o.end = c.end;
    o.winRar = c.winRar;
    o.startLetter = c.startLetter;
    o.endLetter = c.endLetter;
    o.step = c.step;
    EXPECT_EQ(CheckRegularList(o), c.error);
  }
}

TEST(RegularList, CommandLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"--volumes", "r98-s01", "--with-rar", "http://h/a"},
       0,
       "http://h/a.r98\nhttp://h/a.r99\nhttp://h/a.s00\nhttp://h/a.s01\nhttp://h/a.rar\n"},
      {{"--mode", "filename", "--ext", "jpg", "--start", "9", "--end", "10", "日本"},
       0,
       "日本9.jpg\n日本10.jpg\n"},
      {{"--pad", "2", "--end", "1", "x"}, 0, "x.00\nx.01\n"},
      {{"--step", "3", "--end", "7", "x"}, 0, "x.0\nx.3\nx.6\n"},
      {{"--step", "0", "x"}, 1, ""},
      {{"--step", "40000", "x"}, 1, ""},
      {{"--step", "two", "x"}, 2, ""},
      {{"--volumes", "s01-r98", "x"}, 1, ""},
      {{"--start", "40000", "x"}, 2, ""},
      {{"--mode", "both", "x"}, 2, ""},
      {{"--volumes", "r9-s01", "x"}, 2, ""},
      {{"--with-rar", "x"}, 2, ""},
      {{"--end"}, 2, ""},
      {{}, 2, ""},
      {{"a", "b"}, 2, ""},
  };
  for (const auto& c : cases) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunGenerate(c.args, out, err), c.status) << c.args.size();
    std::rewind(out);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), out));
    EXPECT_EQ(text, c.out);
    std::rewind(err);
    char line[512] = {};
    const bool said = std::fgets(line, sizeof line, err) != nullptr;
    EXPECT_EQ(said, c.status != 0);
    std::fclose(out);
    std::fclose(err);
  }
}

}  // namespace
}  // namespace cardo
