#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/expand_command.h"

namespace cardo::cli {
namespace {

std::string Contents(std::FILE* f) {
  std::rewind(f);
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  return text;
}

TEST(ExpandCommand, StreamsLinesAndReportsFailures) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fputs("u[1-2]\r\nno brackets\nv[a-b]", in);
  std::rewind(in);
  EXPECT_EQ(RunExpand({}, in, out, err), 1);
  EXPECT_EQ(Contents(out), "u1\nu2\nva\nvb\n");
  EXPECT_EQ(Contents(err), "cardo-cli: no brackets - 文字列内に[が見つかりません。 (1)\n");

  std::FILE* out2 = std::tmpfile();
  std::FILE* err2 = std::tmpfile();
  EXPECT_EQ(RunExpand({"x[01-02]"}, nullptr, out2, err2), 0);
  EXPECT_EQ(Contents(out2), "x01\nx02\n");
  EXPECT_EQ(Contents(err2), "");
  for (std::FILE* f : {in, out, err, out2, err2}) std::fclose(f);
}

TEST(ExpandCommand, NulBytesEmptyLinesAndTheOrderOfASharedStream) {
  std::FILE* in = std::tmpfile();
  std::FILE* both = std::tmpfile();
  const std::string input("a\0b[1-2]\n\nzz\r\n\r\nc[1-2]\n", 23);
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  EXPECT_EQ(RunExpand({}, in, both, both), 1);
  EXPECT_EQ(Contents(both), std::string("a\0b1\na\0b2\n", 10) +
                                "cardo-cli: zz - 文字列内に[が見つかりません。 (1)\nc1\nc2\n");
  for (std::FILE* f : {in, both}) std::fclose(f);
}

TEST(ExpandCommand, ExtendedSyntaxAndItsFaults) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fputs("v[n=1-2]c[n=a,b]\r\n\x89\xE6[3-1:2\n[1-2]/[=y]\n", in);  // then 画[3-1:2 in cp932
  std::rewind(in);
  EXPECT_EQ(RunExpand({"--extended"}, in, out, err), 1);
  EXPECT_EQ(Contents(out), "v1ca\nv2cb\n");
  EXPECT_EQ(Contents(err),
            "cardo-cli: 画[3-1:2 - 2 文字目: [を閉じる]がありません。\n"
            "cardo-cli: [1-2]/[=y] - 7 文字目: 「y」という名前の[]がありません。\n");

  std::FILE* out2 = std::tmpfile();
  std::FILE* err2 = std::tmpfile();
  EXPECT_EQ(RunExpand({"--extended", "x[10-1:4]"}, nullptr, out2, err2), 0);
  EXPECT_EQ(Contents(out2), "x10\nx6\nx2\n");
  for (std::FILE* f : {in, out, err, out2, err2}) std::fclose(f);
}

TEST(ExpandCommand, MessagesForEveryCode) {
  EXPECT_STREQ(PatternMessage(fnc::kNoCloseBracket), "文字列内の[以降に]が見つかりません。");
  EXPECT_STREQ(PatternMessage(fnc::kNoSeparator), "文字列の[]内に「-」が見つかりません。");
  EXPECT_STREQ(PatternMessage(fnc::kEmptyBound), "[]内の構文が不正です。");
  EXPECT_STREQ(PatternMessage(fnc::kBadBound), "[]内の構文が不正です。");
}

}  // namespace
}  // namespace cardo::cli
