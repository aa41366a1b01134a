#pragma once
// Searches over a line's code page 932 bytes that match whole characters only, so that a line
// need not be decoded to be searched: a match starts where a character starts and ends where
// one ends, exactly where a search of the line's codes would find it.
#include <cstddef>
#include <string>
#include <string_view>

#include "app/extract/code_page_codes.h"

namespace cardo {

// The length in bytes of the character at `at`: 2 for a lead byte with its trail byte, else 1.
std::size_t CharacterLength(std::string_view bytes, std::size_t at);

// Every occurrence of the characters `what` (their codes, code_page_codes.h; none overlapping,
// left to right) removed from `line` in place. Linear time in both whatever their shape, and no
// memory beyond a few words: a rolling hash with a base chosen afresh for each call (a page
// cannot aim at it), every candidate compared before it goes.
void DeleteAllCharacters(std::string& line, std::u16string_view what);

}  // namespace cardo
