#pragma once
// Reads what the deliverables' checks need from a Windows PE file, without Windows: the
// header fields, the exported names and the resources. Throws std::runtime_error on a file
// that is not a well-formed PE image.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cardo::testing {

struct PeImage {
  std::uint16_t machine = 0;          // 0x14c i386, 0x8664 x86-64
  std::uint16_t optionalMagic = 0;    // 0x10b PE32, 0x20b PE32+
  std::uint16_t characteristics = 0;  // 0x2000: a DLL
  std::uint16_t subsystem = 0;        // 2 GUI, 3 console
  std::vector<std::string> exports;   // in the export table's (sorted) order
  // Resource data by type id and then by name id (the first language of each).
  std::map<std::uint32_t, std::map<std::uint32_t, std::string>> resources;
};

PeImage ReadPeImage(const std::string& path);

}  // namespace cardo::testing
