#pragma once
// Which encoding a page or text file is read in, and its lines in that encoding as the scanner
// reads them: code page 932, so that a UTF-8 file's characters, not their bytes, are scanned.
// A file is UTF-8 when it says so; otherwise in the system's code page (932) as always.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/extract/line_source.h"

namespace cardo {

enum class PageEncoding { CodePage932, Utf8 };

// How far into a file a declaration is looked for.
constexpr std::size_t kEncodingHeadBytes = 4096;

// UTF-8 when `head` (a file's first kEncodingHeadBytes) starts with the UTF-8 byte order mark;
// else when `contentType` (a server's Content-Type, empty for a file on disk) names a charset,
// UTF-8 exactly when that charset is UTF-8; else when the first <meta> of `head` that names a
// charset (<meta charset=...> or http-equiv's content="...; charset=...") names UTF-8.
PageEncoding DetectPageEncoding(std::string_view contentType, std::string_view head);

// How a run decides: the user's choice when there is one (cardo-cli's --input-encoding), else
// DetectPageEncoding.
struct EncodingRule {
  std::optional<PageEncoding> forced;
  std::string_view contentType;
};
PageEncoding DecideEncoding(const EncodingRule& rule, std::string_view head);

// One UTF-8 line in code page 932. A character the code page lacks becomes its UTF-8 bytes
// percent-encoded, as a browser sends it in a URL; an invalid sequence becomes U+FFFD's.
std::string Utf8ToCodePage(std::string_view utf8);

// The lines of `file` in `encoding`, `head` being the bytes already read from its start: the
// one place an encoding becomes a line source. A UTF-8 file is converted a block at a time,
// its byte order mark dropped, so that a long line is held once, as codes.
std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, std::string_view head,
                                           PageEncoding encoding);

}  // namespace cardo
