#pragma once
// One extraction run, the same for the extraction dialog, a paste of links and cardo-cli:
// bytes in, their encoding decided (page_encoding.h), read as lines in that encoding, scanned
// in the options' mode, each candidate judged by the caller's filter, and what passes handed
// to the caller's sink. The callers differ on purpose only in what they do with a URL that
// passes: the dialog and cardo-cli take it once per matching pattern (AddOncePerMatchingPattern),
// a paste each URL once (PasteLinksToList).
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

#include "app/text/page_encoding.h"
#include "app/scan/url_scanner.h"
#include "app/extract/wildcard_filter.h"

namespace cardo {

enum class ExtractResult {
  Done,
  Unreadable,   // the file could not be read: nothing, or what came before the failed read
  OutOfMemory,  // a line too long for the memory left: the URLs before it were handed on
};

// A URL the filter let through and how many times the filter appends it (one or more).
using PassedUrlSink = std::function<void(std::u16string_view url, int appends)>;
// Asked before each line with about the bytes of the lines read so far (for progress): false
// ends the run there, as if the file ended (a cancel, or a list that takes no more).
using KeepGoing = std::function<bool(long long bytesRead)>;

// The run over an open file, read a block at a time (never whole) from where it stands; a
// pipe's lines are scanned as they arrive (OpenLineSource). `leftOut`, when given, gets the
// count of runs too long for a URL that were left out (ExtractUrls).
ExtractResult ExtractFromFile(std::FILE* file, const EncodingRule& encoding,
                              const ExtractOptions& options, const CompiledFilter& filter,
                              const PassedUrlSink& sink, const KeepGoing& keepGoing = {},
                              std::uint64_t* leftOut = nullptr);

// The same run with every URL the scan finds handed to `sink` unfiltered, each time it is
// found, for a caller that judges them itself (a run over several pages follows some, filters
// the rest and keeps each once over all its pages: a second table of the page's URLs would
// double what the run holds).
ExtractResult FindUrlsInFile(std::FILE* file, const EncodingRule& encoding,
                             const ExtractOptions& options, const CandidateSink& sink,
                             const KeepGoing& keepGoing = {}, std::uint64_t* leftOut = nullptr);

// The run over text already read, in UTF-8, such as a paste's.
ExtractResult ExtractFromText(std::string_view utf8, const ExtractOptions& options,
                              const CompiledFilter& filter, const PassedUrlSink& sink);

}  // namespace cardo
