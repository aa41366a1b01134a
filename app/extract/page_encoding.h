#pragma once
// Which encoding a page or text file is read in: UTF-8 when it says so, otherwise the
// system's code page (932) as always. The scanner works in code page 932; a UTF-8 file reaches
// it line by line in that code page, so that its characters, not their bytes, are scanned.
#include <cstddef>
#include <string>
#include <string_view>

#include "app/extract/url_scanner.h"

namespace cardo {

// How far into a file a declaration is looked for.
constexpr std::size_t kEncodingHeadBytes = 4096;

// UTF-8 when `head` (a file's first kEncodingHeadBytes) starts with the UTF-8 byte order mark;
// else when `contentType` (a server's Content-Type, empty for a file on disk) names a charset,
// UTF-8 exactly when that charset is UTF-8; else when the first <meta> of `head` that names a
// charset (<meta charset=...> or http-equiv's content="...; charset=...") names UTF-8.
PageEncoding DetectPageEncoding(std::string_view contentType, std::string_view head);

// One UTF-8 line in code page 932. A character the code page lacks becomes its UTF-8 bytes
// percent-encoded, as a browser sends it in a URL; an invalid sequence becomes U+FFFD's.
std::string Utf8ToCodePage(std::string_view utf8);

// The lines of `source`, read as UTF-8, in code page 932; a leading byte order mark dropped.
class Utf8LineSource final : public LineSource {
 public:
  explicit Utf8LineSource(LineSource& source) : source_(source) {}
  bool Next(std::string& line) override;

 private:
  LineSource& source_;
  std::string raw_;
  bool first_ = true;
};

}  // namespace cardo
