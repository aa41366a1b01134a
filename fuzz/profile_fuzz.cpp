// Any bytes as an INI file: reading, listing and writing keys never crash, and a value just
// written reads back as written.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/platform/file_system.h"
#include "app/platform/profile.h"
#include "app/platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::u16string file = [] {
    char name[] = "/tmp/cardo-profile-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return cardo::Utf8ToUtf16(name);
  }();
  auto& fs = cardo::SystemFileSystem();
  auto& profile = cardo::SystemProfile();
  fs.WriteAll(file, std::string(reinterpret_cast<const char*>(data), size));
  for (const char* section : {"PREF", "pref", "HISTORY", ""}) {
    for (const auto& key : profile.ReadKeyNames(section, file)) {
      profile.Read(section, key, 12, file);
    }
    profile.Read(section, "properties", 11, file);
  }
  if (!profile.Write("PREF", "fuzzKey", "value 1", file)) std::abort();
  if (profile.Read("PREF", "fuzzKey", 64, file) != "value 1") std::abort();
  return 0;
}
