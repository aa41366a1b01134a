// The 32-bit deliverables as built, read from their files: these checks need no Wine, so they
// run on machines where 32-bit programs cannot start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/resources/version.h"
#include "fnc/version.h"
#include "tests/deliverables/pe_image.h"

namespace cardo::testing {
namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kRtManifest = 24;

std::string BuildDir() {
  const char* dir = std::getenv("CARDO_WIN32_BUILD");
  return dir ? dir : CARDO_WIN32_BUILD_DEFAULT;
}

// File version words (major, minor, build, revision) of a VS_VERSIONINFO resource.
std::vector<unsigned> FileVersion(const std::string& info) {
  const auto at = info.find("\xBD\x04\xEF\xFE");
  if (at == std::string::npos || info.size() < at + 16) return {};
  auto word = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(info[i]) |
                                 static_cast<unsigned char>(info[i + 1]) << 8);
  };
  return {word(at + 10), word(at + 8), word(at + 14), word(at + 12)};
}

struct Deliverable {
  const char* path;
  bool dll;
  std::vector<unsigned> version;
  std::vector<std::string> exports;
};

TEST(Deliverables, AreThirtyTwoBitWindowsImagesWithTheirResources) {
  const Deliverable cases[] = {
      {"app/Cardo.exe",
       false,
       {CARDO_VERSION_MAJOR, CARDO_VERSION_MINOR, CARDO_VERSION_BUILD, 0},
       {}},
      {"fnc/CARDOFNC.DLL",
       true,
       {CARDOFNC_VERSION_NUMBERS},
       {"GetDllVersion", "GetHTTP", "ShowVerDialog", "SpreadURL"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PeImage image;
    ASSERT_NO_THROW(image = ReadPeImage(BuildDir() + "/" + c.path));
    EXPECT_EQ(image.machine, 0x14c);
    EXPECT_EQ(image.optionalMagic, 0x10b);
    if (!c.dll) {
      EXPECT_EQ(image.subsystem, 2);  // a GUI program: no console window
    }
    EXPECT_EQ((image.characteristics & 0x2000) != 0, c.dll);
    EXPECT_EQ(image.exports, c.exports);
    ASSERT_EQ(image.resources[kRtVersion].size(), 1u);
    EXPECT_EQ(FileVersion(image.resources[kRtVersion].begin()->second), c.version);
  }
}

TEST(Deliverables, ProgramAsksForCommonControlsSixAndDpiAwareness) {
  const auto image = ReadPeImage(BuildDir() + "/app/Cardo.exe");
  const auto manifests = image.resources.find(kRtManifest);
  ASSERT_NE(manifests, image.resources.end());
  ASSERT_EQ(manifests->second.count(1), 1u);  // the process manifest
  const auto& text = manifests->second.at(1);
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  // Per monitor (v2) where the system reads dpiAwareness; earlier systems read dpiAware.
  EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(text.find(">true/pm</dpiAware>"), std::string::npos);
}

}  // namespace
}  // namespace cardo::testing
