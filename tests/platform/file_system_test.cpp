#include "app/platform/file_system.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
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

#ifndef _WIN32
// The names in a folder, to see that no temporary file is left behind.
int CountFiles(const std::u16string& folder) {
  DIR* d = ::opendir(std::string(folder.begin(), folder.end()).c_str());
  if (!d) return -1;
  int count = 0;
  while (const dirent* e = ::readdir(d)) count += e->d_name[0] != '.';
  ::closedir(d);
  return count;
}

// A disk that fills up part-way through the write, for real: the process may grow no file past
// 4 KiB, so the kernel refuses the rest of the write as a full disk would. Both ways of
// writing keep the old file whole: the temporary file, and in a folder that takes no new
// files (made immutable, where the system allows it) the in-place write.
TEST(FileSystem, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole) {
  for (const bool folderRefusesNewFiles : {false, true}) {
    TempDir dir;
    const std::string folder(dir.path().begin(), dir.path().end());
    dir.Write(u"CARDO.INI", "old content\r\n");
    if (folderRefusesNewFiles && std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str())) {
      continue;  // no immutable folders here
    }
    FileSystem& fs = SystemFileSystem();
    EXPECT_EQ(fs.CanReplace(dir.File(u"CARDO.INI")), true);
    const auto oldAction = ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = fs.ReplaceAll(dir.File(u"CARDO.INI"), std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldAction);
    if (folderRefusesNewFiles) std::system(("chattr -i '" + folder + "'").c_str());
    EXPECT_FALSE(written) << folderRefusesNewFiles;
    EXPECT_FALSE(fs.LastErrorText().empty());
    EXPECT_EQ(dir.Read(u"CARDO.INI"), "old content\r\n") << folderRefusesNewFiles;
    EXPECT_EQ(CountFiles(dir.path()), 1) << folderRefusesNewFiles;
  }
}
#endif

}  // namespace
}  // namespace cardo
