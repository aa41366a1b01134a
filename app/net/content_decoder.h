#pragma once
// A page body as the server sent it, undone from its content coding as it arrives: gzip and
// deflate (asked for by the download) with zlib, in pieces of bounded size, so that memory
// stays flat however long the page is.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace cardo {

enum class ContentCoding { Identity, Gzip, Deflate, Unknown };

// The coding a Content-Encoding header names ("gzip", "x-gzip", "deflate", none or
// "identity"); Unknown for any other, which the download refuses.
ContentCoding ParseContentEncoding(std::string_view header);

class ContentDecoder {
 public:
  // Receives each decoded piece; false stops the decoding (a write that failed).
  using Sink = std::function<bool(std::string_view)>;

  explicit ContentDecoder(ContentCoding coding);
  ~ContentDecoder();
  ContentDecoder(const ContentDecoder&) = delete;
  ContentDecoder& operator=(const ContentDecoder&) = delete;

  // Decodes the next received bytes. False when they are not valid for the coding or the
  // sink refused a piece; Corrupt() tells which.
  [[nodiscard]] bool Feed(std::string_view received, const Sink& sink);
  // After the last byte: false when a compressed body ended before its end.
  [[nodiscard]] bool Finish() const;
  bool Corrupt() const { return corrupt_; }

 private:
  struct Stream;
  bool Inflate(std::string_view received, const Sink& sink);
  ContentCoding coding_;
  std::unique_ptr<Stream> stream_;
  bool started_ = false;
  bool ended_ = false;
  bool corrupt_ = false;
};

}  // namespace cardo
