#pragma once
// Which encoding a page or text file is read in, and its lines in that encoding as the scanner
// reads them: UTF-8, so that a page's characters, not their bytes, are scanned. The rule is a
// browser's: a byte order mark, else the server's charset, else a <meta> charset
// near the start; a page that declares nothing is read in the Japanese encoding its bytes show
// (SniffedEncoding).
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/text/line_source.h"
#include "app/text/page_decoders.h"

namespace cardo {

// How far into a file a <meta> declaration is looked for.
constexpr std::size_t kEncodingHeadBytes = 4096;
// How much of a page that declares nothing is looked at to tell its encoding,
// counted from its first byte beyond ASCII (before it both read the same): a page may hold
// kilobytes of markup before its first Japanese character, and a few dozen characters already
// tell, since no code page 932 text is plausibly valid UTF-8.
constexpr std::size_t kSniffBytes = 1 << 16;

// The encoding a charset label names, as a browser reads the label (case and surrounding
// blanks aside): "Shift_JIS", "windows-31j", "cp932"... are code page 932, "iso-8859-1",
// "us-ascii"... windows-1252. Nothing for a label it does not know.
std::optional<PageEncoding> EncodingNamed(std::string_view label);

// What a page declares, nothing when it declares nothing: a byte order mark at the start of
// `head` (a file's first kEncodingHeadBytes); else the charset of `contentType` (a server's
// Content-Type, empty for a file on disk) when it names one this program reads; else, for an
// XML page (an XML Content-Type), the encoding its <?xml ...?> declaration at the start
// names; else the first <meta> of `head` outside a comment that names a known charset
// (<meta charset=...> or http-equiv's content="...; charset=..."). A <meta> or declaration
// naming UTF-16 means UTF-8: a page whose markup reads as ASCII is no UTF-16.
std::optional<PageEncoding> DetectPageEncoding(std::string_view contentType, std::string_view head);

// The encoding of a page that declares nothing, from `sample` (its bytes from the first one
// beyond ASCII or escape, cut off at the end unless it is the page's end), as a browser
// detects a Japanese page: ISO-2022-JP when seven-bit with an escape to JIS X 0208
// ("ESC $ B", "ESC $ @"); UTF-8 when the sample is valid UTF-8 and holds a multi-byte
// sequence; EUC-JP when its bytes read as EUC-JP's pairs and not as code page 932 (or only
// as half-width katakana there); else code page 932.
PageEncoding SniffedEncoding(std::string_view sample, bool cutOff);

// How a run decides: a byte order mark, then the user's choice when there is one (cardo-cli's
// --input-encoding), then DetectPageEncoding. Nothing means that the page's bytes decide
// (SniffedEncoding) as they are read.
struct EncodingRule {
  std::optional<PageEncoding> forced;
  std::string_view contentType;
};
std::optional<PageEncoding> DecideEncoding(const EncodingRule& rule, std::string_view head);

// The lines of `file` in `encoding` (nothing: sniffed), `head` being the bytes already read
// from its start: the one place where a file's bytes become text. The file is decoded a block
// at a time, its byte order mark dropped, so that a long line is held once.
std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, std::string_view head,
                                           std::optional<PageEncoding> encoding);
// The lines of `file` from where it stands, its encoding decided by `rule` as DecideEncoding
// decides it from the file's first kEncodingHeadBytes; the ASCII lines before the first byte
// that needs the decision come as they are read (a pipe's lines as they arrive).
std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, const EncodingRule& rule);

}  // namespace cardo
