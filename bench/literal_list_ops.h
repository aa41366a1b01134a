#pragma once
// The list operations written the slow, obvious way: pairwise exchange sorts, a shuffle that
// walks the array for every draw, duplicate removal by comparing every pair, and writing
// lines back one position at a time. The benchmark measures the program against them.
#include <cstdint>

#include "app/list/url_list.h"

namespace cardo::bench {

void LiteralSort(UrlList& list, bool descending);
void LiteralShuffle(UrlList& list, std::uint32_t seed);
void LiteralRemoveDuplicates(UrlList& list);

}  // namespace cardo::bench
