#pragma once
// Text compressed with zlib, for tests of what a server sends coded.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace cardo::testing {

// `text` compressed in the given zlib window format (31 gzip, 15 zlib, -15 bare deflate).
inline std::string Compressed(const std::string& text, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace cardo::testing
