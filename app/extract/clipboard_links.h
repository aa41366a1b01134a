#pragma once
// Links from the clipboard: the "HTML Format" a browser puts there when the user copies part of
// a page, or else plain text, turned into lines and options for the scanner.
#include <string>
#include <string_view>

#include "app/scan/url_scanner.h"
#include "app/platform/ui.h"
#include "app/settings/app_settings.h"

namespace cardo {

// The parts of an HTML Format that a paste uses, as views into its data (UTF-8).
struct HtmlFormat {
  // The fragment between StartFragment and EndFragment; when those offsets are unusable, the
  // HTML between StartHTML and EndHTML; when those are too, everything after the header.
  std::string_view markup;
  // The page the markup was copied from; empty when the header names none.
  std::string_view sourceUrl;
};

// Reads the header of "Name:value" lines (CR LF, LF or CR) at the start of `data`; the offsets
// count bytes from the start of the data, which ends at its first NUL. An offset that is
// missing, negative, not a number, past the end or after its end offset is unusable. Never
// reads outside `data`; linear in the header's length.
HtmlFormat ParseHtmlFormat(std::string_view data);

// What a paste of links scans.
struct LinkScan {
  ExtractOptions options;
  std::string text;  // the markup or the text, in UTF-8
};

// With an HTML Format whose markup is not empty: that markup, read as a downloaded page whose
// address is the SourceURL (so relative links resolve as on the page, and a <base> in the markup
// wins), in the parsed-HTML mode when the extraction settings choose it for a downloaded page
// (UrlExtSelMode the parsed mode, or UrlExtParsed). Otherwise its text in text mode: URLs starting
// "http://", "https://", "ftp://" or the extraction settings' protocol, in the order they stand,
// with that dialog's full-width and line-break options.
LinkScan PrepareLinkScan(const ClipboardContent& clipboard, const Settings& settings);

}  // namespace cardo
