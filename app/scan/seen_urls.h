#pragma once
// The URLs a run has offered, each held once and compactly, so that a run offers every URL
// once however many links reach it (a page's anchors, its menus on every line).
//
// Cost: a URL of units below U+0100 takes a byte a unit, another two; plus 4 bytes of length
// and, in the table, two words. Time: a hash and one comparison on average per look-up.
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
  struct Slot {
    const unsigned char* entry = nullptr;  // its length, then its units
    std::size_t hash = 0;
  };
  static bool Holds(const unsigned char* entry, std::u16string_view url);
  const unsigned char* Store(std::u16string_view url);
  void Grow();

  std::vector<Slot> slots_;  // open addressing, a power of two in size
  std::size_t count_ = 0;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  std::size_t free_ = 0;  // the room left at the end of the last block
  std::vector<std::unique_ptr<unsigned char[]>> large_;  // a URL each
};

}  // namespace cardo
