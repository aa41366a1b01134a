#pragma once
// Walking a line's code page 932 bytes by whole characters, so that a line need not be decoded
// to be searched.
#include <cstddef>
#include <string>
#include <string_view>

#include "app/text/code_page_codes.h"

namespace cardo {

// The length in bytes of the character at `at`: 2 for a lead byte with its trail byte, else 1.
std::size_t CharacterLength(std::string_view bytes, std::size_t at);

}  // namespace cardo
