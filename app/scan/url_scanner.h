#pragma once
// The URL scanner: reads lines of text (UTF-8, page_encoding.h decodes a page into it) and
// hands every URL it finds, in order, to a sink. Text mode looks for the protocol text
// (text_scan.h); HTML and download modes take runs of URL characters around "://" and "."
// (html_scan.h); the parsed-HTML mode tokenizes the page and takes its links (parsed_scan.h).
// A URL's characters are written as AppendUrlCharacter (url_characters.h) writes them.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/text/line_source.h"

namespace cardo {

enum class ExtractMode { Text = 0, Html = 1, Download = 2, Parsed = 3 };

// Everything a scan needs, as the extraction dialog (or the command line) sets it.
struct ExtractOptions {
  ExtractMode mode = ExtractMode::Text;
  std::u16string protocol = u"http://";
  // Text mode: further protocol texts looked for beside `protocol`; URLs come in the order they
  // stand, and of two protocols at one place the longer one starts the URL.
  std::vector<std::u16string> moreProtocols;
  bool fullWidth = false;        // text mode: double-byte URL characters allowed
  bool notReturnSearch = false;  // text mode: a URL never continues on the next line
  std::u16string baseUrlBox;     // HTML mode: the base-URL box
  std::u16string pageUrl;        // download (and parsed) mode: the address the page came from
};

// A URL found; the text may be a view into the line, valid only during the call.
using CandidateSink = std::function<void(std::u16string_view url)>;

// What a scan does with a URL it finds again.
enum class Repeats {
  Dropped,  // each URL once: a page that reaches a file from several places lists it once
  Kept,     // every finding, for a caller that keeps each URL once itself, over a whole run
};

// Every URL of the lines of `source` to `sink`, in the options' mode. Memory, when repeats are
// dropped: every distinct URL, compactly (seen_urls.h). Returns how many runs or tags were
// left out for their length (kLinePieceBytes, kMaxTagBytes): none of them is a URL a server
// would take, and the user is told.
std::uint64_t ExtractUrls(LineSource& source, const ExtractOptions& options,
                          const CandidateSink& sink, Repeats repeats = Repeats::Dropped);

}  // namespace cardo
