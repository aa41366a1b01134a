#pragma once
// What the benchmarks under Wine share: a Ui that answers without asking, a clock, medians of
// repeated runs, and the report line of one measurement against its yardstick.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/platform/ui.h"

namespace cardo::bench {

class BenchUi final : public Ui {
 public:
  std::u16string clipboard;
  MessageAnswer ShowMessage(std::u16string_view, std::u16string_view, MessageIcon,
                            MessageButtons buttons) override {
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::No : MessageAnswer::Ok;
  }
  std::optional<FileDialogResult> ShowOpenDialog(const FileDialogOptions&) override { return {}; }
  std::optional<FileDialogResult> ShowSaveDialog(const FileDialogOptions&) override { return {}; }
  bool ClipboardHasText() override { return true; }
  std::u16string ClipboardText() override { return clipboard; }
  void SetClipboardText(std::u16string_view text) override { clipboard = text; }
  ClipboardContent ReadClipboard() override { return {std::nullopt, clipboard, false}; }
  void Beep() override {}
  StartResult StartProgram(const std::u16string&) override { return {}; }
  std::u16string OpenWithShell(const std::u16string&, const std::u16string&,
                               std::uintptr_t) override {
    return {};
  }
};

inline double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The median of `runs` timings of `work`, each after its own untimed `setup`.
inline double Median(int runs, const std::function<void()>& setup,
                     const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    setup();
    const double start = NowMs();
    work();
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline std::vector<std::u16string> RandomUrls(std::size_t count, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> length(60, 80);
  std::uniform_int_distribution<int> letter(0, 35);
  const char16_t* alphabet = u"abcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::u16string> urls;
  urls.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::u16string url = u"http://www.example.com/";
    const int n = length(rng);
    while (static_cast<int>(url.size()) < n - 4) url += alphabet[letter(rng)];
    url += u".jpg";
    urls.push_back(std::move(url));
  }
  return urls;
}

inline int failures = 0;

inline void Report(const char* name, double ours, double other, const char* against, double goal,
                   bool faster) {
  const double ratio = faster ? other / ours : ours / other;
  const bool ok = faster ? ratio >= goal : ratio <= goal;
  if (!ok) ++failures;
  std::printf("%-28s %10.2f ms  %-22s %10.2f ms  %s %6.1fx  (goal %s %.0fx)  %s\n", name, ours,
              against, other, faster ? "speed-up" : "of floor", ratio, faster ? ">=" : "<=", goal,
              ok ? "ok" : "MISSED");
}

}  // namespace cardo::bench
