#include <windows.h>

#include <vector>

#include "app/platform/codec.h"
#include "app/platform/profile.h"

namespace cardo {
namespace {

using GetProfileStringFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
using WriteProfileStringFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);

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
    std::vector<char> buffer(bufferSize, '\0');
    const std::string s(section), k(key), path = WideToAnsi(file);
    const DWORD n =
        fn(s.c_str(), k.c_str(), "", buffer.data(), static_cast<DWORD>(bufferSize), path.c_str());
    return std::string(buffer.data(), std::min<std::size_t>(n, bufferSize - 1)).c_str();
  }

  std::vector<std::string> ReadKeyNames(std::string_view section,
                                        const std::u16string& file) override {
    static const auto fn = BindKernel32<GetProfileStringFn>("GetPrivateProfileStringA");
    std::vector<std::string> names;
    if (!fn) return names;
    const std::string s(section), path = WideToAnsi(file);
    // With no key name the function lists the section's keys, each ended by NUL; a result of
    // size - 2 means the buffer was too small.
    for (DWORD size = 4096; size <= (1u << 26); size *= 4) {
      std::vector<char> buffer(size, '\0');
      const DWORD n = fn(s.c_str(), nullptr, "", buffer.data(), size, path.c_str());
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
    if (!fn) return false;
    const std::string s(section), k(key), v(value), path = WideToAnsi(file);
    return fn(s.c_str(), k.c_str(), v.c_str(), path.c_str()) != FALSE;
  }
};

}  // namespace

ProfileStore& SystemProfile() {
  static WinProfile instance;
  return instance;
}

}  // namespace cardo
