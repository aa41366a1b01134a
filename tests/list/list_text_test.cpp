#include "app/list/list_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::Ansi;
using testing::U;
using Lines = std::vector<std::u16string>;
using enum ListEncoding;

// `bytes` fed in pieces of `piece` bytes (0: at once).
ListFileLines ReadInPieces(std::string_view bytes, std::size_t piece, std::size_t maxLines) {
  ListTextReader reader(maxLines, std::numeric_limits<std::size_t>::max());
  if (piece == 0) piece = bytes.size() + 1;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    if (!reader.Feed(bytes.substr(at, piece))) break;
  }
  return reader.Finish();
}

TEST(ListText, FilesReadInTheirEncodingAndWriteBackByteForByte) {
  const std::string utf8 = "http://\xE4\xBE\x8B.jp/\xE8\xAA\x9E/a.jpg";  // 例, 語 + "/"
  const struct {
    std::string bytes;
    ListEncoding encoding;
    bool mark;
    LineEnd lineEnd;
    Lines lines;
  } cases[] = {
      {utf8 + "\nhttp://x/b\n", Utf8, false, LineEnd::Lf, {U(utf8), u"http://x/b"}},
      {"\xEF\xBB\xBF" + utf8 + "\n", Utf8, true, LineEnd::Lf, {U(utf8)}},
      {"\xEF\xBB\xBFhttp://x/a\r\nb", Utf8, true, LineEnd::CrLf, {u"http://x/a", u"b"}},
      {"\xEF\xBB\xBF", Utf8, true, LineEnd::CrLf, {}},
      {Ansi("http://例.jp/ソ.jpg\r\n\r\n"),
       Cp932,
       false,
       LineEnd::CrLf,
       {U("http://例.jp/ソ.jpg"), u""}},
      {"http://x/a\nhttp://x/b", Cp932, false, LineEnd::Lf, {u"http://x/a", u"http://x/b"}},
      {"a\rb\r", Cp932, false, LineEnd::Cr, {u"a", u"b"}},
      {"", Cp932, false, LineEnd::CrLf, {}},
      {std::string("\xFF\xFE"
                   "h\0\x8B\x65\r\0\n\0\x3D\xD8\x00\xDE\r\0\n\0",
                   18),
       Utf16Le,
       true,
       LineEnd::CrLf,
       {u"h\u658B", u"\U0001F600"}},
      {std::string("\xFE\xFF\0a\0\n\x65\x8B", 8), Utf16Be, true, LineEnd::Lf, {u"a", u"\u658B"}},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {0, 1, 2, 3, 5}) {
      const ListFileLines read = ReadInPieces(c.bytes, piece, 100);
      EXPECT_EQ(read.lines, c.lines) << c.bytes << " piece " << piece;
      EXPECT_EQ(read.format.encoding, c.encoding) << c.bytes;
      EXPECT_EQ(read.format.byteOrderMark, c.mark) << c.bytes;
      EXPECT_EQ(read.format.lineEnd, c.lineEnd) << c.bytes;
      EXPECT_EQ(read.undecodableLines, 0u) << c.bytes;
      EXPECT_FALSE(read.more);
      EXPECT_EQ(ListTextBytes(BuildListText(read.lines, read.format), read.format), c.bytes)
          << c.bytes << " piece " << piece;
    }
  }
}

TEST(ListText, BytesThatAreNoCharactersAreCountedByLine) {
  const struct {
    std::string bytes;
    std::optional<ListEncoding> forced;
    ListEncoding encoding;
    std::size_t count, first;
  } cases[] = {
      {"ok\r\nlead byte at the end \x81\r\n\x81\r\n", {}, Cp932, 2, 2},
      {std::string("a\0b\nc\n", 6), {}, Cp932, 1, 1},  // the list cannot hold a NUL
      {"\xEF\xBB\xBFok\n\xC3(\n", {}, Utf8, 1, 2},
      {"\xE6\x97\xA5\n\x81\n", {}, Cp932, 1, 2},  // not UTF-8 as a whole: code page 932
      {std::string("\xFF\xFE"
                   "a\0\n\0\x00\xD8\n\0",
                   10),
       {},
       Utf16Le,
       1,
       2},  // lone surrogate
      {std::string("\xFF\xFE"
                   "a\0b",
                   5),
       {},
       Utf16Le,
       1,
       1},  // half a code unit at the end
      {Ansi("日本\r\n"), Utf8, Utf8, 1, 1},
      {"\xEF\xBB\xBF"
       "a\n",
       Cp932, Cp932, 1, 1},  // forced: the mark is no code page 932 text
      // The mark decides, whatever the lines hold.
      {"\xEF\xBB\xBFhttp://h/\xE6\x97\xA5.zip\nhttp://h/\xFF.zip\n", {}, Utf8, 1, 2},
  };
  for (const auto& c : cases) {
    const ListFileLines read = DecodeListText(c.bytes, c.forced);
    EXPECT_EQ(read.format.encoding, c.encoding) << c.bytes;
    EXPECT_EQ(read.undecodableLines, c.count) << c.bytes;
    EXPECT_EQ(read.firstUndecodable, c.first) << c.bytes;
    // A line at a time, as an export of any length reads it: the same lines, the same verdict.
    Lines handed;
    std::size_t said = 0;
    const ListFileLines streamed =
        ForEachListLine(c.bytes, c.forced, [&](std::u16string_view line, bool undecodable) {
          handed.emplace_back(line);
          said += undecodable;
          return true;
        });
    EXPECT_EQ(handed, read.lines) << c.bytes;
    EXPECT_EQ(streamed.format, read.format) << c.bytes;
    EXPECT_EQ(streamed.undecodableLines, c.count) << c.bytes;
    EXPECT_EQ(said, c.count) << c.bytes;
    EXPECT_EQ(streamed.firstUndecodable, c.first) << c.bytes;
    // Judged a byte at a time, as a file is judged before it is read: the same encoding.
    if (c.forced) continue;
    ListEncodingJudge judge;
    for (const char byte : c.bytes) judge.Feed(std::string_view(&byte, 1));
    EXPECT_EQ(judge.Encoding(),
              read.format.byteOrderMark ? std::nullopt : std::optional(read.format.encoding))
        << c.bytes;
  }
  EXPECT_EQ(DecodeListText("\xEF\xBB\xBF"
                           "a\n",
                           Utf8)
                .lines,
            Lines{u"a"});
}

// A list read as it arrives cannot wait for its end: its first line beyond ASCII decides.
TEST(ListText, LinesHandedOnAsTheyArriveAreDecidedByTheFirstLineBeyondAscii) {
  const struct {
    std::string bytes;
    Lines lines;
    std::size_t undecodable;
  } cases[] = {
      {"a\n\xE6\x97\xA5\n\x81\n", {u"a", u"日", u"\uFFFD"}, 1},
      {"a\n" + Ansi("日") + "\n\xE6\x97\xA5\n", {u"a", u"日", u"譌･"}, 0},
      {"\xEF\xBB\xBF\x81\n", {u"\uFFFD"}, 1},
      {std::string("\xFE\xFF\0a\0\n\0b", 8), {u"a", u"b"}, 0},
  };
  for (const auto& c : cases) {
    Lines handed;
    ListTextReader reader(std::nullopt, [&](std::u16string_view line, bool) {
      handed.emplace_back(line);
      return true;
    });
    std::size_t ends = 0;
    for (std::size_t at = 0; at < c.bytes.size(); ++at) {
      reader.Feed(c.bytes.substr(at, 1));
      // Each line is handed on at its end, before anything after it has come.
      if (c.bytes[at] == '\n') EXPECT_EQ(handed.size(), ++ends) << c.bytes << " at " << at;
    }
    EXPECT_EQ(reader.Finish().undecodableLines, c.undecodable) << c.bytes;
    EXPECT_EQ(handed, c.lines) << c.bytes;
  }
}

TEST(ListText, TheLineLimitStopsTheReadAndSaysMoreFollow) {
  const struct {
    std::string bytes;
    bool more;
  } cases[] = {
      {"a\r\nb\r\n", false},
      {"a\r\nb", false},
      {"a\r\nb\r\nc", true},
      {"a\nb\n\n", true},  // an empty third line is a line
      {std::string("\xFF\xFE"
                   "a\0\r\0\n\0b\0\r\0\n\0",
                   14),
       false},
      {std::string("\xFF\xFE"
                   "a\0\n\0b\0\n\0c\0",
                   12),
       true},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {0, 1, 3}) {
      const ListFileLines read = ReadInPieces(c.bytes, piece, 2);
      EXPECT_EQ(read.lines, (Lines{u"a", u"b"})) << c.bytes << " piece " << piece;
      EXPECT_EQ(read.more, c.more) << c.bytes << " piece " << piece;
    }
  }
}

}  // namespace
}  // namespace cardo
