#pragma once
// A settings store in a fresh folder, with a fixed clock and a file system that can fail.
#include "app/platform/profile.h"
#include "app/settings/settings_file.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

struct SettingsFixture {
  TempDir dir;
  FlakyFileSystem fs;
  SettingsStore store{SystemProfile(), fs, dir.File(u"CARDO.INI"), dir.path(), u"3.00", 3, [] {
                        return LocalTime{2026, 12, 7, 9, 5};
                      }};
  FakeWindowSize window;
  FakeHistory recent;
  Settings settings;

  void WriteIni(std::string_view text) { dir.Write(u"CARDO.INI", Ansi(text)); }
  std::string IniBytes() const { return dir.Read(u"CARDO.INI"); }
  bool Load() {
    return LoadSettings(settings, store, window, recent.history) == SettingsLoad::Loaded;
  }
  bool Save() { return SaveSettings(settings, store, window, recent.history); }
};

// The header of a current file, as UTF-8.
inline constexpr char kCurrentHeader[] =
    "'--------------------------------------------------------\r\n"
    "'  Cardo用設定保持 INIファイル\r\n"
    "'    作成時のバージョン:3.00\r\n"
    "'    作成時刻:12/7/26 9:05\r\n"
    "'--------------------------------------------------------\r\n"
    "\r\n";

}  // namespace cardo::testing
