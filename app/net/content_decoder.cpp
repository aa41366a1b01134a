#include "app/net/content_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>

namespace cardo {
namespace {

constexpr std::size_t kPiece = 64 * 1024;

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

ContentCoding ParseContentEncoding(std::string_view header) {
  const std::string name = Trimmed(header);
  if (name.empty() || name == "identity") return ContentCoding::Identity;
  if (name == "gzip" || name == "x-gzip") return ContentCoding::Gzip;
  if (name == "deflate") return ContentCoding::Deflate;
  return ContentCoding::Unknown;
}

struct ContentDecoder::Stream {
  z_stream z{};
  bool open = false;
  std::string sniffed;  // the first bytes of a deflate body, until its kind is known
  std::string out = std::string(kPiece, '\0');
  ~Stream() {
    if (open) inflateEnd(&z);
  }
};

ContentDecoder::ContentDecoder(ContentCoding coding)
    : coding_(coding), stream_(std::make_unique<Stream>()) {
  if (coding_ == ContentCoding::Unknown) corrupt_ = true;
}

ContentDecoder::~ContentDecoder() = default;

bool ContentDecoder::Feed(std::string_view received, const Sink& sink) {
  if (corrupt_) return false;
  if (coding_ == ContentCoding::Identity) return received.empty() || sink(received);
  if (ended_ || received.empty()) return true;
  if (!started_) {
    Stream& s = *stream_;
    int windowBits = 15 + 16;
    if (coding_ == ContentCoding::Deflate) {
      // "deflate" is meant to be the zlib format, but servers also send the bare stream.
      s.sniffed.append(received);
      if (s.sniffed.size() < 2) return true;
      const unsigned cmf = static_cast<unsigned char>(s.sniffed[0]);
      const unsigned flg = static_cast<unsigned char>(s.sniffed[1]);
      const bool zlibHeader = (cmf & 0x0F) == 8 && (cmf * 256 + flg) % 31 == 0;
      windowBits = zlibHeader ? 15 : -15;
    }
    if (inflateInit2(&s.z, windowBits) != Z_OK) {
      corrupt_ = true;
      return false;
    }
    s.open = true;
    started_ = true;
    if (!s.sniffed.empty()) {
      const std::string first = std::move(s.sniffed);
      return Inflate(first, sink);
    }
  }
  return Inflate(received, sink);
}

bool ContentDecoder::Inflate(std::string_view received, const Sink& sink) {
  z_stream& z = stream_->z;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(received.data()));
  z.avail_in = static_cast<uInt>(received.size());
  // Until the input is used up and the last call left room: zlib holds back what did not fit.
  do {
    z.next_out = reinterpret_cast<Bytef*>(stream_->out.data());
    z.avail_out = static_cast<uInt>(stream_->out.size());
    const int status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
      corrupt_ = true;
      return false;
    }
    const std::size_t made = stream_->out.size() - z.avail_out;
    if (made > 0 && !sink(std::string_view(stream_->out.data(), made))) return false;
    if (status == Z_STREAM_END) {
      // A gzip body may be several members one after the other.
      if (coding_ == ContentCoding::Gzip && z.avail_in > 0) {
        inflateReset(&z);
      } else {
        ended_ = true;
      }
    } else if (status == Z_BUF_ERROR && made == 0) {
      break;
    }
  } while (!ended_ && (z.avail_in > 0 || z.avail_out == 0));
  return true;
}

bool ContentDecoder::Finish() const {
  if (corrupt_) return false;
  if (coding_ == ContentCoding::Identity) return true;
  return ended_ || (!started_ && stream_->sniffed.empty());
}

}  // namespace cardo
