#include "tests/deliverables/pe_image.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace cardo::testing {
namespace {

class Bytes {
 public:
  explicit Bytes(std::string data) : data_(std::move(data)) {}

  std::uint32_t U32(std::size_t at) const { return U16(at) | std::uint32_t{U16(at + 2)} << 16; }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data_[at]) |
                                      static_cast<unsigned char>(data_[at + 1]) << 8);
  }
  std::string Slice(std::size_t at, std::size_t size) const {
    Need(at, size);
    return data_.substr(at, size);
  }
  std::string CString(std::size_t at) const {
    const auto end = data_.find('\0', at);
    if (at >= data_.size() || end == std::string::npos) throw std::runtime_error("bad name");
    return data_.substr(at, end - at);
  }

 private:
  void Need(std::size_t at, std::size_t size) const {
    if (at > data_.size() || size > data_.size() - at) throw std::runtime_error("truncated");
  }
  std::string data_;
};

struct Section {
  std::uint32_t rva, size, fileOffset;
};

class Reader {
 public:
  Reader(const Bytes& bytes, std::vector<Section> sections)
      : bytes_(bytes), sections_(std::move(sections)) {}

  std::size_t Offset(std::uint32_t rva) const {
    for (const auto& s : sections_) {
      if (rva >= s.rva && rva - s.rva < s.size) return s.fileOffset + (rva - s.rva);
    }
    throw std::runtime_error("address outside every section");
  }

  std::vector<std::string> Exports(std::uint32_t directoryRva) const {
    std::vector<std::string> names;
    if (directoryRva == 0) return names;
    const auto dir = Offset(directoryRva);
    const auto count = bytes_.U32(dir + 24);
    const auto table = Offset(bytes_.U32(dir + 32));
    for (std::uint32_t i = 0; i < count; ++i) {
      names.push_back(bytes_.CString(Offset(bytes_.U32(table + 4 * i))));
    }
    return names;
  }

  // type -> name -> language -> data; each level's entries follow a 16-byte header.
  void Resources(std::uint32_t rootRva, PeImage& image) const {
    if (rootRva == 0) return;
    const auto root = Offset(rootRva);
    for (const auto& [type, names] : Entries(root)) {
      for (const auto& [name, languages] : Entries(root + names)) {
        const auto all = Entries(root + languages);
        if (all.empty()) continue;
        const auto data = root + all.front().second;
        image.resources[type][name] = bytes_.Slice(Offset(bytes_.U32(data)), bytes_.U32(data + 4));
      }
    }
  }

 private:
  // (id, offset from the resource root) of each entry of the directory at file offset `dir`.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> Entries(std::size_t dir) const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    const std::size_t count = bytes_.U16(dir + 12) + bytes_.U16(dir + 14);
    for (std::size_t i = 0; i < count; ++i) {
      const auto entry = dir + 16 + 8 * i;
      out.emplace_back(bytes_.U32(entry), bytes_.U32(entry + 4) & 0x7fffffffu);
    }
    return out;
  }

  const Bytes& bytes_;
  std::vector<Section> sections_;
};

}  // namespace

PeImage ReadPeImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  const Bytes bytes{std::string(std::istreambuf_iterator<char>(in), {})};
  if (bytes.Slice(0, 2) != "MZ") throw std::runtime_error("no MZ header");
  const std::size_t pe = bytes.U32(0x3c);
  if (bytes.Slice(pe, 4) != std::string("PE\0\0", 4)) throw std::runtime_error("no PE header");

  PeImage image;
  image.machine = bytes.U16(pe + 4);
  const std::size_t sectionCount = bytes.U16(pe + 6);
  const std::size_t optionalSize = bytes.U16(pe + 20);
  image.characteristics = bytes.U16(pe + 22);
  const std::size_t optional = pe + 24;
  image.optionalMagic = bytes.U16(optional);
  image.subsystem = bytes.U16(optional + 68);
  const std::size_t directories = optional + (image.optionalMagic == 0x20b ? 112 : 96);

  std::vector<Section> sections;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const auto header = optional + optionalSize + 40 * i;
    sections.push_back({bytes.U32(header + 12),
                        std::max(bytes.U32(header + 8), bytes.U32(header + 16)),
                        bytes.U32(header + 20)});
  }
  const Reader reader(bytes, std::move(sections));
  image.exports = reader.Exports(bytes.U32(directories));
  reader.Resources(bytes.U32(directories + 16), image);
  return image;
}

}  // namespace cardo::testing
