#include "app/scan/seen_urls.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace cardo {
namespace {

constexpr unsigned kOffsetBits = 20;
constexpr std::size_t kBlockBytes = std::size_t{1} << kOffsetBits;
// The header: the count of units, shifted left once, its low bit set when a unit takes two bytes.
constexpr std::size_t kHeaderBytes = sizeof(std::uint32_t);

bool Narrow(std::u16string_view url) {
  return std::all_of(url.begin(), url.end(), [](char16_t c) { return c < 0x100; });
}

// FNV-1a over the units, so that an entry stored a byte a unit hashes as its text does.
// FNV's low bits, the ones a table takes, hardly differ for URLs that differ in a digit: a
// finalizer spreads every bit over them.
template <typename Unit>
std::uint32_t HashUnits(const Unit* units, std::size_t count) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < count; ++i) h = (h ^ units[i]) * 16777619u;
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

std::uint32_t Header(const unsigned char* entry) {
  std::uint32_t header = 0;
  std::memcpy(&header, entry, kHeaderBytes);
  return header;
}

std::uint32_t HashEntry(const unsigned char* entry) {
  const std::uint32_t header = Header(entry);
  const unsigned char* units = entry + kHeaderBytes;
  if (!(header & 1u)) return HashUnits(units, header >> 1);
  std::u16string_view wide(reinterpret_cast<const char16_t*>(units), header >> 1);
  return HashUnits(wide.data(), wide.size());
}

bool Holds(const unsigned char* entry, std::u16string_view url) {
  const std::uint32_t header = Header(entry);
  if (header >> 1 != url.size()) return false;
  const unsigned char* units = entry + kHeaderBytes;
  if (header & 1u) return std::memcmp(units, url.data(), url.size() * sizeof(char16_t)) == 0;
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (units[i] != url[i]) return false;
  }
  return true;
}

}  // namespace

const unsigned char* SeenUrls::Entry(Ref ref) const {
  return blocks_[ref >> kOffsetBits].get() + (ref & (kBlockBytes - 1));
}

SeenUrls::Ref SeenUrls::Store(std::u16string_view url) {
  const bool wide = !Narrow(url);
  const std::size_t bytes = kHeaderBytes + url.size() * (wide ? sizeof(char16_t) : 1);
  if (blocks_.size() >= (std::size_t{1} << (32 - kOffsetBits)) - 1) throw std::bad_alloc();
  // Two-byte units stand at even offsets, where they may be read as such.
  if (wide) used_ += used_ & 1u;
  if (blocks_.empty() || used_ + bytes > kBlockBytes) {
    blocks_.push_back(std::make_unique<unsigned char[]>(std::max(bytes, kBlockBytes)));
    used_ = 0;
  }
  const Ref ref = static_cast<Ref>((blocks_.size() - 1) << kOffsetBits | used_);
  unsigned char* entry = blocks_.back().get() + used_;
  // A URL longer than a block fills its own: the next one starts a new block.
  used_ = bytes > kBlockBytes ? kBlockBytes : used_ + bytes;
  const auto header = static_cast<std::uint32_t>(url.size() << 1 | (wide ? 1u : 0u));
  std::memcpy(entry, &header, kHeaderBytes);
  unsigned char* units = entry + kHeaderBytes;
  if (wide) {
    std::memcpy(units, url.data(), url.size() * sizeof(char16_t));
  } else {
    for (std::size_t i = 0; i < url.size(); ++i) units[i] = static_cast<unsigned char>(url[i]);
  }
  return ref;
}

void SeenUrls::Grow() {
  std::vector<Ref> old(slots_.empty() ? 1024 : slots_.size() * 2, kEmpty);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Ref ref : old) {
    if (ref == kEmpty) continue;
    std::size_t i = HashEntry(Entry(ref)) & mask;
    while (slots_[i] != kEmpty) i = (i + 1) & mask;
    slots_[i] = ref;
  }
}

bool SeenUrls::Insert(std::u16string_view url) {
  // At most half full: a miss looks at two or three slots, each a look at an entry.
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = HashUnits(url.data(), url.size()) & mask;
  for (; slots_[i] != kEmpty; i = (i + 1) & mask) {
    if (Holds(Entry(slots_[i]), url)) return false;
  }
  slots_[i] = Store(url);
  ++count_;
  return true;
}

}  // namespace cardo
