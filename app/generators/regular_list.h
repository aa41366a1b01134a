#pragma once
// The regular list generator's names: a base text with a numbered run (the number as the
// extension or inside the file name, plain or zero-padded) or with WinRAR volume names
// (r00 ... r99, s00 ... q99). Shared by the generator window and `cardo-cli generate`.
#include <cstdint>
#include <functional>
#include <string>

namespace cardo {

// The volume letters in index order: r to z (0-8), then a to q (9-25). An index outside 0-25
// (a hand-edited settings file) counts as 0.
char16_t VolumeLetter(int index);

// n in decimal, left-padded with "0" to `width` characters when it has fewer digits; longer
// numbers are written whole.
std::u16string ZeroPad(std::int32_t n, int width);

struct RegularListOptions {
  std::u16string base;            // written first, as typed
  std::u16string extension;       // file-name mode only: "." + it follows the number
  bool numberInFileName = false;  // false: the number is the extension
  std::int32_t start = 0;
  std::int32_t end = 0;
  bool pad = false;
  std::int32_t padWidth = 1;
  bool winRar = false;  // volume names; start and end are then the numbers 0-99
  int startLetter = 0;
  int endLetter = 0;
  bool withRar = false;   // WinRAR mode: one ".rar" name after the volumes
  std::int32_t step = 1;  // every step-th number (volume position in WinRAR mode), 1-32767
};

enum class RegularListError {
  None,
  BadPadWidth,
  BadStep,
  StartTooLarge,
  EndTooLarge,
  StartAfterEnd
};

inline constexpr std::int32_t kMaxRegularListStep = 32767;

// The window's checks, in its order; their messages are RegularListMessage.
RegularListError CheckRegularList(const RegularListOptions& options);
const char16_t* RegularListMessage(RegularListError error);

// Hands each name to `sink` in order, until it returns false (a full list).
void GenerateRegularList(const RegularListOptions& options,
                         const std::function<bool(const std::u16string&)>& sink);

}  // namespace cardo
