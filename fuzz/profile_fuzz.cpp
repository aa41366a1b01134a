// Any bytes as CARDO.INI, read and written in memory through the profile seam: the INI text
// reader under the settings load (a current file or an older one to import), the save over
// what the file holds and the profile's own reads and writes never crash, a save succeeds and
// a value just written reads back as written. Nothing reaches the disk, so a run costs
// microseconds and the fuzzer gets to files of a real settings file's size.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/list/menu_history.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/ini_text.h"
#include "app/platform/profile.h"
#include "app/settings/settings_file.h"

namespace {

using cardo::FileSystem;
using cardo::IniText;
using cardo::PathKind;
using cardo::ProfileStore;

// The program's folder, held in memory.
class MemoryFiles final : public FileSystem {
 public:
  std::map<std::u16string, std::string> files;

  PathKind Probe(const std::u16string& path) override {
    return files.count(path) ? PathKind::File : PathKind::Missing;
  }
  bool ReadChunks(const std::u16string& path, const ChunkSink& sink) override {
    const auto file = files.find(path);
    if (file == files.end()) return false;
    sink(file->second);
    return true;
  }
  bool WriteAll(const std::u16string& path, std::string_view bytes) override {
    files[path] = std::string(bytes);
    return true;
  }
  bool ReplaceAll(const std::u16string& path, std::string_view bytes) override {
    return WriteAll(path, bytes);
  }
  bool CanReplace(const std::u16string&) override { return true; }
  bool Copy(const std::u16string& from, const std::u16string& to) override {
    const auto file = files.find(from);
    if (file == files.end()) return false;
    files[to] = file->second;
    return true;
  }
  bool Remove(const std::u16string& path) override { return files.erase(path) != 0; }
  std::optional<std::u16string> FullPath(const std::u16string& path) override { return path; }
  std::u16string LastErrorText() override { return u""; }
};

// The profile functions over the files in memory, as the native seam reads and writes them.
// The seam parses the file at every call; here a parse is kept while the file's text stays as
// it was (a look-up gives the same entry either way), so a load costs one parse, not sixty.
class MemoryProfile final : public ProfileStore {
 public:
  explicit MemoryProfile(MemoryFiles& fs) : fs_(fs) {}

  std::string Read(std::string_view section, std::string_view key, std::size_t bufferSize,
                   const std::u16string& file) override {
    auto& ini = Load(file);
    const cardo::IniEntry* entry = ini.Find(section, key);
    if (bufferSize == 0 || !entry || !entry->value) return {};
    std::string_view value = *entry->value;
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    // At most bufferSize - 1 bytes, never half a double-byte character.
    std::size_t end = 0;
    while (end < value.size()) {
      const std::size_t step =
          cardo::IsAnsiLeadByte(static_cast<unsigned char>(value[end])) ? 2 : 1;
      if (end + step > bufferSize - 1) break;
      end += step;
    }
    return std::string(value.substr(0, std::min(end, value.size())));
  }
  std::vector<std::string> ReadKeyNames(std::string_view section,
                                        const std::u16string& file) override {
    std::vector<std::string> names;
    auto& ini = Load(file);
    if (const auto* s = ini.Find(section)) {
      for (const auto& e : s->entries) {
        if (!e.name.empty()) names.push_back(e.name);
      }
    }
    return names;
  }
  bool Write(std::string_view section, std::string_view key, std::string_view value,
             const std::u16string& file) override {
    auto& ini = Load(file);
    if (ini.Set(section, key, value)) fs_.files[file] = ini.Serialize();
    return true;
  }
  Entries ReadSection(std::string_view section, const std::u16string& file) override {
    Entries entries;
    auto& ini = Load(file);
    if (const auto* s = ini.Find(section)) {
      for (const auto& e : s->entries) {
        if (!e.name.empty() && e.value) entries.emplace_back(e.name, *e.value);
      }
    }
    return entries;
  }
  bool WriteSection(std::string_view section, const Entries& entries,
                    const std::u16string& file) override {
    auto& ini = Load(file);
    ini.ClearSection(section);
    for (const auto& [key, value] : entries) ini.Set(section, key, value);
    fs_.files[file] = ini.Serialize();
    return true;
  }
  bool CanReach(const std::u16string&) override { return true; }

 private:
  IniText& Load(const std::u16string& file) {
    const auto found = fs_.files.find(file);
    const std::string_view text = found == fs_.files.end() ? std::string_view() : found->second;
    if (!parsed_ || file != parsedFile_ || text != parsedText_) {
      parsed_ = IniText::Parse(text);
      parsedFile_ = file;
      parsedText_ = std::string(text);
    }
    return *parsed_;
  }
  MemoryFiles& fs_;
  std::optional<IniText> parsed_;
  std::u16string parsedFile_;
  std::string parsedText_;
};

class WindowSize final : public cardo::WindowSizeTwips {
 public:
  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  void SetWidth(std::int32_t twips) override { width_ = twips; }
  void SetHeight(std::int32_t twips) override { height_ = twips; }

 private:
  std::int32_t width_ = 9000;
  std::int32_t height_ = 6000;
};

class MenuPlace final : public cardo::MenuPlace {
 public:
  void SetCaption(const std::u16string&) override {}
  void SetVisible(bool) override {}
  void SetEnabled(bool) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string folder = u"/cardo/";
  const std::u16string file = folder + u"CARDO.INI";
  MemoryFiles fs;
  fs.files[file] = std::string(reinterpret_cast<const char*>(data), size);
  MemoryProfile profile(fs);
  cardo::SettingsStore store{profile, fs, file, folder, u"3.00", 3,
                             [] { return cardo::LocalTime{2026, 12, 7, 9, 5}; }};
  MenuPlace places[5];
  cardo::CMenuHistory recent;
  for (auto& place : places) recent.SetMenu(&place);
  WindowSize window;
  cardo::Settings settings;

  const auto loaded = cardo::LoadSettings(settings, store, window, recent);
  if (loaded == cardo::SettingsLoad::Missing &&
      !cardo::CreateDefaultSettings(settings, store)) {
    std::abort();
  }
  settings.ListMax = static_cast<std::int16_t>(settings.ListMax + 1);
  recent.AddItem(u"C:\\リスト\\new.lst");
  if (!cardo::SaveSettings(settings, store, window, recent)) std::abort();

  for (const char* section : {"PREF", "pref", "HISTORY", ""}) {
    for (const auto& key : profile.ReadKeyNames(section, file)) {
      (void)profile.Read(section, key, 12, file);
    }
    (void)profile.ReadSection(section, file);
  }
  if (!profile.Write("PREF", "fuzzKey", "value 1", file)) std::abort();
  if (profile.Read("PREF", "fuzzKey", 64, file) != "value 1") std::abort();
  return 0;
}
