#include "app/platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::TempDir;

bool MakeFolder(const std::u16string& path) {
#ifdef _WIN32
  return CreateDirectoryW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr) != FALSE;
#else
  return ::mkdir(std::string(path.begin(), path.end()).c_str(), 0755) == 0;
#endif
}

TEST(FileSystem, SavesPathsUpToTheSystemLimitAndReportsWhyItFails) {
  TempDir dir;
  FileSystem& fs = SystemFileSystem();
  // Targets of 250 to 259 characters: the temporary name beside them is longer than 260.
  std::u16string folder = dir.path() + std::u16string(200 - dir.path().size(), u'd');
  ASSERT_TRUE(MakeFolder(folder));
  for (std::size_t length = 250; length < 260; ++length) {
    const std::u16string path =
        folder + PathSeparator() + std::u16string(length - folder.size() - 5, u'f') + u".lst";
    ASSERT_EQ(path.size(), length);
    ASSERT_TRUE(fs.WriteAll(path, "old\r\n")) << length;
    EXPECT_TRUE(fs.ReplaceAll(path, "new\r\n")) << length;
    EXPECT_EQ(fs.ReadAll(path).value_or(""), "new\r\n") << length;
    EXPECT_TRUE(fs.Remove(path));
  }
  EXPECT_FALSE(fs.ReplaceAll(dir.File(u"no-folder") + PathSeparator() + u"a.lst", "x"));
  EXPECT_FALSE(fs.LastErrorText().empty());
}

TEST(FileSystem, ReplacedFileKeepsItsAttributes) {
  TempDir dir;
  const auto path = dir.File(u"a.lst");
  dir.Write(u"a.lst", "old");
#ifdef _WIN32
  const auto* name = reinterpret_cast<const wchar_t*>(path.c_str());
  ASSERT_TRUE(SetFileAttributesW(name, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(SystemFileSystem().ReplaceAll(path, "new"));
  EXPECT_TRUE(GetFileAttributesW(name) & FILE_ATTRIBUTE_HIDDEN);
#else
  const std::string name(path.begin(), path.end());
  ASSERT_EQ(::chmod(name.c_str(), 0600), 0);
  ASSERT_TRUE(SystemFileSystem().ReplaceAll(path, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
  EXPECT_EQ(dir.Read(u"a.lst"), "new");
}

}  // namespace
}  // namespace cardo
