#pragma once
// A set of byte strings, each with a number, in bounded memory for millions of them: every
// string once in an arena of 1 MiB blocks (its number and length before it), found through an
// open-addressing table of 32-bit places kept at most three quarters full. About the strings'
// bytes plus 14 to 19 bytes a string, where a node-based set costs some 70; the table's growth
// holds the old table beside the new one for a moment. Holds up to 2 GiB of strings; a string
// of more than 64 KiB has a block of its own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

class StringTable {
 public:
  struct Found {
    std::uint32_t entry;  // where the string lies, for its number
    bool added;           // it was not there before
  };
  // The entry of `text`, added with the number 0 when it was not there. Throws
  // std::bad_alloc past 2 GiB, as when memory runs out.
  Found Insert(std::string_view text);
  bool Contains(std::string_view text) const;
  std::uint32_t Number(std::uint32_t entry) const;
  void SetNumber(std::uint32_t entry, std::uint32_t number);
  std::size_t size() const { return count_; }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  static constexpr std::uint32_t kOwnBlock = std::uint32_t{1} << 31;  // the entry is a big one

  std::string_view Text(std::uint32_t entry) const;
  const char* At(std::uint32_t entry) const;
  // The slot holding `text`, or the empty slot where it would go.
  std::size_t Slot(std::string_view text, std::size_t hash) const;
  std::uint32_t Store(std::string_view text);
  void Grow();

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = kBlock;  // of the last block: none yet
  std::vector<std::unique_ptr<char[]>> big_;
  std::vector<std::uint32_t> slots_;  // entry + 1; 0 is empty
  std::size_t count_ = 0;
};

}  // namespace cardo
