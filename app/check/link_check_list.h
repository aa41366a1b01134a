#pragma once
// What the link check takes from the main list and what its results do to it. The list may
// have changed while the check ran: results apply to the lines whose text is a checked URL's,
// wherever they now stand.
#include <string>
#include <vector>

#include "app/check/link_check.h"
#include "app/list/link_pages.h"
#include "app/list/url_list.h"

namespace cardo {

// The selected lines when two or more are selected (a single selected line is where the
// user last clicked), else every line; blank lines left out.
std::vector<std::u16string> LinesToCheck(const UrlList& list);

struct CheckedLinks {
  std::vector<std::u16string> urls;  // the lines as checked
  std::vector<LinkResult> results;   // one per URL
};

// Removes the lines whose check found them dead (4xx, 5xx, no such host, refused) in one
// step; the number removed.
int RemoveDeadLines(UrlList& list, const CheckedLinks& checked);
// Gives each line that was redirected to a working address that address, which keeps the page
// the line was found on; the number changed.
int ReplaceRedirectedLines(UrlList& list, LinkPages& pages, const CheckedLinks& checked);
// Selects the lines found dead or failing and no other; the number selected.
int SelectFailedLines(UrlList& list, const CheckedLinks& checked);

}  // namespace cardo
