#include <cstring>
#include <optional>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/ini_text.h"
#include "app/platform/profile.h"

namespace cardo {
namespace {

// Cuts to at most `limit` bytes without splitting a double-byte character.
std::string CutBytes(std::string_view value, std::size_t limit) {
  if (value.size() <= limit) return std::string(value);
  std::size_t i = 0;
  while (i < limit) {
    const std::size_t step = IsAnsiLeadByte(static_cast<unsigned char>(value[i])) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return std::string(value.substr(0, i));
}

// The file's sections before a write: none yet for a missing file; nothing when it cannot be
// read (a write must not replace what it could not see).
std::optional<IniText> LoadForWrite(const std::u16string& file) {
  auto& fs = SystemFileSystem();
  if (fs.Probe(file) != PathKind::File) return IniText::Parse("");
  auto text = fs.ReadAll(file);
  if (!text) return std::nullopt;
  return IniText::Parse(*text);
}

class PosixProfile final : public ProfileStore {
 public:
  std::string Read(std::string_view section, std::string_view key, std::size_t bufferSize,
                   const std::u16string& file) override {
    if (bufferSize == 0) return {};
    auto text = SystemFileSystem().ReadAll(file);
    if (!text) return {};
    auto ini = IniText::Parse(*text);
    const IniEntry* e = ini.Find(section, key);
    if (!e || !e->value) return {};
    std::string_view value = *e->value;
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return CutBytes(value, bufferSize - 1);
  }

  std::vector<std::string> ReadKeyNames(std::string_view section,
                                        const std::u16string& file) override {
    std::vector<std::string> names;
    auto text = SystemFileSystem().ReadAll(file);
    if (!text) return names;
    auto ini = IniText::Parse(*text);
    const IniSection* s = ini.Find(section);
    if (!s) return names;
    for (const auto& e : s->entries) {
      if (!e.name.empty()) names.push_back(e.name);
    }
    return names;
  }

  bool CanReach(const std::u16string&) override { return true; }

  Entries ReadSection(std::string_view section, const std::u16string& file) override {
    Entries entries;
    auto text = SystemFileSystem().ReadAll(file);
    if (!text) return entries;
    auto ini = IniText::Parse(*text);
    const IniSection* s = ini.Find(section);
    if (!s) return entries;
    for (const auto& e : s->entries) {
      if (!e.name.empty() && e.value) entries.emplace_back(e.name, *e.value);
    }
    return entries;
  }

  bool WriteSection(std::string_view section, const Entries& entries,
                    const std::u16string& file) override {
    auto ini = LoadForWrite(file);
    if (!ini) return false;
    ini->ClearSection(section);
    for (const auto& [key, value] : entries) ini->Set(section, key, value);
    return SystemFileSystem().WriteAll(file, ini->Serialize());
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value,
             const std::u16string& file) override {
    auto ini = LoadForWrite(file);
    if (!ini) return false;
    if (!ini->Set(section, key, value)) return true;
    return SystemFileSystem().WriteAll(file, ini->Serialize());
  }
};

}  // namespace

ProfileStore& SystemProfile() {
  static PosixProfile instance;
  return instance;
}

}  // namespace cardo
