// The library's expansion path: time and peak memory of SpreadURL for a million lines, the
// peak measured as the growth of the process's committed memory over its size before the call.
#include <windows.h>
#include <oleauto.h>
#include <psapi.h>

#include <cstdio>
#include <string>

int main() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\'));
  path = path.substr(0, path.find_last_of(L'\\')) + L"\\fnc\\CARDOFNC.DLL";
  HMODULE dll = LoadLibraryW(path.c_str());
  if (!dll) {
    std::printf("CARDOFNC.DLL not found\n");
    return 1;
  }
  using SpreadUrlFn = LONG(WINAPI*)(BSTR*, BSTR*, HWND);
  auto spread =
      reinterpret_cast<SpreadUrlFn>(reinterpret_cast<void*>(GetProcAddress(dll, "SpreadURL")));

  const std::string line = "http://example.com/[0000-9999]/[00-99].jpg";
  BSTR source = SysAllocStringByteLen(line.data(), static_cast<UINT>(line.size()));
  BSTR result = SysAllocStringByteLen("", 0);

  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  const LONG code = spread(&result, &source, nullptr);
  QueryPerformanceCounter(&t1);
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);

  const double output = SysStringByteLen(result);
  const double growth =
      static_cast<double>(after.PeakPagefileUsage) - static_cast<double>(before.PagefileUsage);
  const double ms =
      1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
  const bool ok = code == 0 && growth < 2 * output;
  std::printf(
      "SpreadURL, 1,000,000 lines: %.1f ms, output %.1f MB, peak growth %.1f MB = %.2fx "
      "the output (goal < 2x)  %s\n",
      ms, output / 1e6, growth / 1e6, growth / output, ok ? "ok" : "MISSED");
  SysFreeString(result);
  SysFreeString(source);
  FreeLibrary(dll);
  return ok ? 0 : 1;
}
