#pragma once
// The URLs a run has offered, each held once and compactly, so that a run offers every URL
// once however many links reach it (a page's anchors, its menus on every line).
//
// Cost: a URL of units below U+0100 takes a byte a unit, another two, plus 4 bytes of length,
// in blocks of 1 MiB; the table 4 to 8 bytes a URL. Time: a hash and about two comparisons a
// look-up, their lengths first.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace cardo {

class SeenUrls {
 public:
  // True, and `url` remembered, when it was not seen before.
  bool Insert(std::u16string_view url);

 private:
  // Where an entry starts: its block in the high bits, its offset in the low ones.
  using Ref = std::uint32_t;
  static constexpr Ref kEmpty = 0xFFFFFFFFu;
  const unsigned char* Entry(Ref ref) const;
  Ref Store(std::u16string_view url);
  void Grow();

  std::vector<Ref> slots_;  // open addressing, a power of two in size
  std::size_t count_ = 0;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;  // a URL over a block has its own
  std::size_t used_ = 0;                                  // of the last block
};

}  // namespace cardo
