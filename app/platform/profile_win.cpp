#include <windows.h>

#include <optional>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/profile.h"
#include "app/platform/wide_text_win.h"

namespace cardo {
namespace {

using GetProfileStringFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
using WriteProfileStringFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);

// The file's name in the ANSI code page. The profile functions take no other, so a folder
// whose name the code page cannot spell is named by its short (8.3) name.
std::optional<std::string> AnsiPath(const std::u16string& file) {
  std::string ansi = WideToAnsi(file);
  if (AnsiToWide(ansi) == file) return ansi;
  const auto slash = file.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return std::nullopt;
  const std::u16string folder = file.substr(0, slash);
  const wchar_t* wide = W(folder);
  const DWORD n = GetShortPathNameW(wide, nullptr, 0);
  if (n == 0) return std::nullopt;
  std::u16string shortFolder(n, u'\0');
  const DWORD got = GetShortPathNameW(wide, reinterpret_cast<wchar_t*>(shortFolder.data()), n);
  if (got == 0 || got >= n) return std::nullopt;
  shortFolder.resize(got);
  const std::u16string shortFile = shortFolder + file.substr(slash);
  ansi = WideToAnsi(shortFile);
  if (AnsiToWide(ansi) != shortFile) return std::nullopt;
  return ansi;
}

template <typename Fn>
Fn BindKernel32(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                : nullptr;
}

class WinProfile final : public ProfileStore {
 public:
  std::string Read(std::string_view section, std::string_view key, std::size_t bufferSize,
                   const std::u16string& file) override {
    static const auto fn = BindKernel32<GetProfileStringFn>("GetPrivateProfileStringA");
    if (!fn || bufferSize == 0) return {};
    const auto path = AnsiPath(file);
    if (!path) return {};
    std::vector<char> buffer(bufferSize, '\0');
    const std::string s(section), k(key);
    const DWORD n =
        fn(s.c_str(), k.c_str(), "", buffer.data(), static_cast<DWORD>(bufferSize), path->c_str());
    return std::string(buffer.data(), std::min<std::size_t>(n, bufferSize - 1)).c_str();
  }

  std::vector<std::string> ReadKeyNames(std::string_view section,
                                        const std::u16string& file) override {
    static const auto fn = BindKernel32<GetProfileStringFn>("GetPrivateProfileStringA");
    std::vector<std::string> names;
    const auto path = AnsiPath(file);
    if (!fn || !path) return names;
    const std::string s(section);
    // With no key name the function lists the section's keys, each ended by NUL; a result of
    // size - 2 means the buffer was too small.
    for (DWORD size = 4096; size <= (1u << 26); size *= 4) {
      std::vector<char> buffer(size, '\0');
      const DWORD n = fn(s.c_str(), nullptr, "", buffer.data(), size, path->c_str());
      if (n + 2 >= size) continue;
      for (std::size_t i = 0; i < n;) {
        const std::string name(buffer.data() + i);
        i += name.size() + 1;
        if (!name.empty()) names.push_back(name);
      }
      break;
    }
    return names;
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value,
             const std::u16string& file) override {
    static const auto fn = BindKernel32<WriteProfileStringFn>("WritePrivateProfileStringA");
    const auto path = AnsiPath(file);
    if (!fn || !path) return false;
    const std::string s(section), k(key), v(value);
    return fn(s.c_str(), k.c_str(), v.c_str(), path->c_str()) != FALSE;
  }

  Entries ReadSection(std::string_view section, const std::u16string& file) override {
    using GetSectionFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD, LPCSTR);
    static const auto fn = BindKernel32<GetSectionFn>("GetPrivateProfileSectionA");
    Entries entries;
    const auto path = AnsiPath(file);
    if (!fn || !path) return entries;
    const std::string s(section);
    // "key=value" strings, each ended by NUL; a result of size - 2 means the buffer was short.
    for (DWORD size = 1u << 16; size <= (1u << 26); size *= 4) {
      std::vector<char> buffer(size, '\0');
      const DWORD n = fn(s.c_str(), buffer.data(), size, path->c_str());
      if (n + 2 >= size) continue;
      for (std::size_t i = 0; i < n;) {
        const std::string line(buffer.data() + i);
        i += line.size() + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
      }
      break;
    }
    return entries;
  }

  bool WriteSection(std::string_view section, const Entries& entries,
                    const std::u16string& file) override {
    using WriteSectionFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR);
    static const auto fn = BindKernel32<WriteSectionFn>("WritePrivateProfileSectionA");
    const auto path = AnsiPath(file);
    if (!fn || !path) return false;
    // "key=value" strings, each ended by NUL, the list by one more.
    std::string block;
    for (const auto& [key, value] : entries) block += key + "=" + value + '\0';
    block += '\0';
    const std::string s(section);
    return fn(s.c_str(), block.data(), path->c_str()) != FALSE;
  }

  bool CanReach(const std::u16string& file) override { return AnsiPath(file).has_value(); }
};

}  // namespace

ProfileStore& SystemProfile() {
  static WinProfile instance;
  return instance;
}

}  // namespace cardo
