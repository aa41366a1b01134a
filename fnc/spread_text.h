#pragma once
// How the library turns an expansion into the text it hands back: first the size (so the
// text is allocated once, at its final size, and the peak memory stays near the output's own
// size), then the bytes. Every line ends with CR LF.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "fnc/bracket_engine.h"

namespace cardo::fnc {

// The library stops producing lines once its output reaches this size, as if the user had
// pressed "中断": a huge range cannot exhaust a 32-bit address space.
inline constexpr std::size_t kMaxOutputBytes = 64u << 20;

struct ExpansionText {
  std::uint64_t lines = 0;
  std::size_t bytes = 0;
};

// Counts the lines and bytes up to the limit or until `cancelled` says stop (asked before each
// line).
ExpansionText MeasureExpansion(const Expansion& expansion, std::size_t maxBytes,
                               const std::function<bool()>& cancelled);
// Writes the first `lines` lines, each with CR LF, to `out`.
void WriteExpansion(const Expansion& expansion, std::uint64_t lines, char* out);

}  // namespace cardo::fnc
