#include "app/export/download_names.h"

#include <algorithm>

#include "app/platform/lower_case.h"

namespace cardo {
namespace {

constexpr std::string_view kUnsafe = "\\/:*?\"<>|";
constexpr std::string_view kDefaultName = "index.html";
constexpr std::size_t kMaxName = 200;
constexpr std::size_t kMaxExtension = 16;
// Windows opens a device for these names, whatever extension follows.
constexpr std::string_view kDeviceNames[] = {
    "con",  "prn",  "aux",  "nul",  "com0", "com1", "com2",   "com3",    "com4",
    "com5", "com6", "com7", "com8", "com9", "lpt0", "lpt1",   "lpt2",    "lpt3",
    "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$",
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool IsSafe(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte < 0x7F && kUnsafe.find(c) == std::string_view::npos;
}

// The first "." of a name that is not its first character, where a device name ends.
std::string_view DeviceStem(std::string_view name) {
  return name.substr(0, name.find('.', 1));
}

}  // namespace

std::string SafeName(std::string_view segment) {
  std::string name;
  for (std::size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] == '%' && i + 2 < segment.size() && HexValue(segment[i + 1]) >= 0 &&
        HexValue(segment[i + 2]) >= 0) {
      const char decoded =
          static_cast<char>(HexValue(segment[i + 1]) * 16 + HexValue(segment[i + 2]));
      // "%" itself stays escaped: read once more, "%2541" would become another name's text.
      if (IsSafe(decoded) && decoded != '%') {
        name.push_back(decoded);
        i += 2;
        continue;
      }
    }
    name.push_back(IsSafe(segment[i]) ? segment[i] : '_');
  }
  if (name.size() > kMaxName) {
    const std::size_t at = ExtensionAt(name);
    const std::string extension =
        name.size() - at <= kMaxExtension ? name.substr(at) : std::string();
    name = name.substr(0, kMaxName - extension.size()) + extension;
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
  if (name.empty()) return name;
  const std::string stem = AsciiLower(DeviceStem(name));
  // "-" is standard output to curl.
  if (name == "-" ||
      std::find(std::begin(kDeviceNames), std::end(kDeviceNames), stem) != std::end(kDeviceNames)) {
    name.insert(0, 1, '_');
  }
  return name;
}

std::string DownloadFileName(std::string_view path) {
  std::string name = SafeName(path.substr(path.rfind('/') + 1));
  return name.empty() ? std::string(kDefaultName) : name;
}

std::size_t ExtensionAt(std::string_view name) {
  const std::size_t start = name.rfind('/') + 1;  // 0 without a folder
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot <= start ? name.size() : dot;
}

void UniqueNames::Reserve(const std::string& name) {
  taken_.Insert(AsciiLower(name));
}

std::string UniqueNames::Claim(const std::string& name) {
  const StringTable::Found found = taken_.Insert(AsciiLower(name));
  if (found.added) return name;
  const std::size_t at = ExtensionAt(name);
  const std::string stem = name.substr(0, at);
  const std::string extension = name.substr(at);
  for (std::uint32_t next = taken_.Number(found.entry);;) {
    const std::string candidate = stem + "." + std::to_string(++next) + extension;
    if (taken_.Insert(AsciiLower(candidate)).added) {
      taken_.SetNumber(found.entry, next);
      return candidate;
    }
  }
}

}  // namespace cardo
