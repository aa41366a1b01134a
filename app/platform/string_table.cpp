#include "app/platform/string_table.h"

#include <cstring>
#include <functional>
#include <new>

namespace cardo {
namespace {

constexpr std::size_t kHeader = 8;  // the number, then the length

std::size_t HashOf(std::string_view text) {
  return std::hash<std::string_view>{}(text);
}

}  // namespace

const char* StringTable::At(std::uint32_t entry) const {
  if (entry & kOwnBlock) return big_[entry & ~kOwnBlock].get();
  return blocks_[entry / kBlock].get() + entry % kBlock;
}

std::string_view StringTable::Text(std::uint32_t entry) const {
  const char* at = At(entry);
  std::uint32_t length = 0;
  std::memcpy(&length, at + 4, 4);
  return {at + kHeader, length};
}

std::uint32_t StringTable::Number(std::uint32_t entry) const {
  std::uint32_t number = 0;
  std::memcpy(&number, At(entry), 4);
  return number;
}

void StringTable::SetNumber(std::uint32_t entry, std::uint32_t number) {
  std::memcpy(const_cast<char*>(At(entry)), &number, 4);
}

std::size_t StringTable::Slot(std::string_view text, std::size_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    if (slots_[slot] == 0 || Text(slots_[slot] - 1) == text) return slot;
  }
}

std::uint32_t StringTable::Store(std::string_view text) {
  const std::size_t size = kHeader + text.size();
  char* to = nullptr;
  std::uint32_t entry = 0;
  if (size > kBlock / 16) {
    if (big_.size() >= kOwnBlock - 1) throw std::bad_alloc();
    big_.push_back(std::make_unique<char[]>(size));
    to = big_.back().get();
    entry = kOwnBlock | static_cast<std::uint32_t>(big_.size() - 1);
  } else {
    if (used_ + size > kBlock) {
      if (blocks_.size() >= kOwnBlock / kBlock) throw std::bad_alloc();
      blocks_.push_back(std::make_unique<char[]>(kBlock));
      used_ = 0;
    }
    to = blocks_.back().get() + used_;
    entry = static_cast<std::uint32_t>((blocks_.size() - 1) * kBlock + used_);
    used_ += size;
  }
  const std::uint32_t number = 0, length = static_cast<std::uint32_t>(text.size());
  std::memcpy(to, &number, 4);
  std::memcpy(to + 4, &length, 4);
  std::memcpy(to + kHeader, text.data(), text.size());
  return entry;
}

void StringTable::Grow() {
  std::vector<std::uint32_t> old(slots_.empty() ? 16 : slots_.size() * 2, 0);
  old.swap(slots_);
  for (const std::uint32_t held : old) {
    if (held != 0) slots_[Slot(Text(held - 1), HashOf(Text(held - 1)))] = held;
  }
}

StringTable::Found StringTable::Insert(std::string_view text) {
  if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
  const std::size_t slot = Slot(text, HashOf(text));
  if (slots_[slot] != 0) return {slots_[slot] - 1, false};
  const std::uint32_t entry = Store(text);
  slots_[slot] = entry + 1;
  ++count_;
  return {entry, true};
}

bool StringTable::Contains(std::string_view text) const {
  return !slots_.empty() && slots_[Slot(text, HashOf(text))] != 0;
}

}  // namespace cardo
