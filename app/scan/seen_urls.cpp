#include "app/scan/seen_urls.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace cardo {
namespace {

constexpr std::size_t kBlockBytes = 1 << 18;
// The header: the count of units, shifted left once, its low bit set when a unit takes two bytes.
constexpr std::size_t kHeaderBytes = sizeof(std::uint32_t);

bool Narrow(std::u16string_view url) {
  return std::all_of(url.begin(), url.end(), [](char16_t c) { return c < 0x100; });
}

}  // namespace

bool SeenUrls::Holds(const unsigned char* entry, std::u16string_view url) {
  std::uint32_t header = 0;
  std::memcpy(&header, entry, kHeaderBytes);
  if (header >> 1 != url.size()) return false;
  const unsigned char* units = entry + kHeaderBytes;
  if (header & 1u) return std::memcmp(units, url.data(), url.size() * sizeof(char16_t)) == 0;
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (units[i] != url[i]) return false;
  }
  return true;
}

const unsigned char* SeenUrls::Store(std::u16string_view url) {
  const bool wide = !Narrow(url);
  const std::size_t bytes = kHeaderBytes + url.size() * (wide ? sizeof(char16_t) : 1);
  unsigned char* entry = nullptr;
  if (bytes > kBlockBytes / 4) {
    // A long URL takes a block of its own, so that no block is mostly left empty.
    large_.push_back(std::make_unique<unsigned char[]>(bytes));
    entry = large_.back().get();
  } else {
    if (free_ < bytes) {
      blocks_.push_back(std::make_unique<unsigned char[]>(kBlockBytes));
      free_ = kBlockBytes;
    }
    entry = blocks_.back().get() + (kBlockBytes - free_);
    free_ -= bytes;
  }
  const auto header = static_cast<std::uint32_t>(url.size() << 1 | (wide ? 1u : 0u));
  std::memcpy(entry, &header, kHeaderBytes);
  unsigned char* units = entry + kHeaderBytes;
  if (wide) {
    std::memcpy(units, url.data(), url.size() * sizeof(char16_t));
  } else {
    for (std::size_t i = 0; i < url.size(); ++i) units[i] = static_cast<unsigned char>(url[i]);
  }
  return entry;
}

void SeenUrls::Grow() {
  std::vector<Slot> old(slots_.empty() ? 0 : slots_.size() * 2);
  old.swap(slots_);
  if (slots_.empty()) slots_.resize(1024);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (!s.entry) continue;
    std::size_t i = s.hash & mask;
    while (slots_[i].entry) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

bool SeenUrls::Insert(std::u16string_view url) {
  if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
  const std::size_t hash = std::hash<std::u16string_view>{}(url);
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  for (; slots_[i].entry; i = (i + 1) & mask) {
    if (slots_[i].hash == hash && Holds(slots_[i].entry, url)) return false;
  }
  slots_[i] = {Store(url), hash};
  ++count_;
  return true;
}

}  // namespace cardo
