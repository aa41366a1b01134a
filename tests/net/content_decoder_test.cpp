#include "app/net/content_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/compressed.h"

namespace cardo {
namespace {

using testing::Compressed;

// Feeds `body` in pieces of `piece` bytes; the decoded text, or "<corrupt>"/"<cut>".
std::string Decode(ContentCoding coding, const std::string& body, std::size_t piece) {
  ContentDecoder decoder(coding);
  std::string out;
  for (std::size_t at = 0; at < body.size(); at += piece) {
    if (!decoder.Feed(std::string_view(body).substr(at, piece), [&](std::string_view p) {
          out.append(p);
          return true;
        })) {
      return "<corrupt>";
    }
  }
  return decoder.Finish() ? out : "<cut>";
}

TEST(ContentDecoder, NamesTheCodingsItAskedFor) {
  EXPECT_EQ(ParseContentEncoding(""), ContentCoding::Identity);
  EXPECT_EQ(ParseContentEncoding(" Identity "), ContentCoding::Identity);
  EXPECT_EQ(ParseContentEncoding("GZIP"), ContentCoding::Gzip);
  EXPECT_EQ(ParseContentEncoding("x-gzip"), ContentCoding::Gzip);
  EXPECT_EQ(ParseContentEncoding("deflate"), ContentCoding::Deflate);
  EXPECT_EQ(ParseContentEncoding("br"), ContentCoding::Unknown);
  EXPECT_EQ(ParseContentEncoding("gzip, br"), ContentCoding::Unknown);
}

TEST(ContentDecoder, DecodesEveryFormInAnyPiecesAndSeesDamage) {
  // Larger than the decoder's output piece, so that zlib holds output back between calls.
  std::string page;
  for (int i = 0; page.size() < 300000; ++i)
    page += "<a href=\"f" + std::to_string(i) + ".zip\">\n";
  const std::string gzip = Compressed(page, 31);
  const struct {
    ContentCoding coding;
    std::string body;
  } forms[] = {{ContentCoding::Identity, page},
               {ContentCoding::Gzip, gzip},
               {ContentCoding::Deflate, Compressed(page, 15)},
               {ContentCoding::Deflate, Compressed(page, -15)}};
  for (const auto& form : forms) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{65536}}) {
      if (piece == 1 && form.body.size() > 100000) continue;
      EXPECT_EQ(Decode(form.coding, form.body, piece), page) << int(form.coding) << "/" << piece;
    }
  }
  EXPECT_EQ(Decode(ContentCoding::Gzip, gzip + Compressed("tail", 31), 4096), page + "tail");
  EXPECT_EQ(Decode(ContentCoding::Gzip, gzip.substr(0, gzip.size() / 2), 4096), "<cut>");
  std::string damaged = gzip;
  damaged[damaged.size() / 2] ^= 0x55;
  damaged[damaged.size() / 2 + 1] ^= 0x55;
  EXPECT_EQ(Decode(ContentCoding::Gzip, damaged, 4096), "<corrupt>");
  EXPECT_EQ(Decode(ContentCoding::Gzip, "<html>", 4096), "<corrupt>");
  EXPECT_EQ(Decode(ContentCoding::Unknown, "x", 4096), "<corrupt>");
  EXPECT_EQ(Decode(ContentCoding::Gzip, "", 4096), "");
}

TEST(ContentDecoder, ASinkThatRefusesStopsTheDecoding) {
  ContentDecoder decoder(ContentCoding::Gzip);
  int calls = 0;
  EXPECT_FALSE(decoder.Feed(Compressed(std::string(200000, 'x'), 31), [&](std::string_view) {
    ++calls;
    return false;
  }));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(decoder.Corrupt());
}

}  // namespace
}  // namespace cardo
