#include <cstring>
#include <optional>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/profile.h"

// The system keeps an INI file as a list of sections, each a list of entries; a line without
// "=" is an entry without a value, blank lines are dropped, and a write stores the whole file
// back from that list, one line per section header and entry. Mirroring that model
// reproduces its files byte for byte.

namespace cardo {
namespace {

struct Entry {
  std::string name;
  std::optional<std::string> value;
};

struct Section {
  std::string name;  // empty for the lines before the first section
  std::vector<Entry> entries;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::vector<Section> Parse(std::string_view text) {
  std::vector<Section> sections(1);
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl == std::string_view::npos ? text.size() : nl + 1);
    text.remove_prefix(line.size());
    line = Trim(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        sections.push_back({std::string(line.substr(1, close - 1)), {}});
        continue;
      }
    }
    Entry entry;
    std::string_view name = line;
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      name = Trim(line.substr(0, eq));
      std::string_view value = line.substr(eq + 1);
      while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
      entry.value = std::string(value);
    }
    entry.name = std::string(name);
    auto& entries = sections.back().entries;
    // Runs of nameless entries collapse into one, as the system does.
    if (!entry.name.empty() || entries.empty() || !entries.back().name.empty()) {
      entries.push_back(std::move(entry));
    }
  }
  return sections;
}

std::string Serialize(const std::vector<Section>& sections) {
  std::string out;
  for (const auto& section : sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const auto& entry : section.entries) {
      out += entry.name;
      if (entry.value) out += "=" + *entry.value;
      out += "\r\n";
    }
  }
  return out;
}

Section* FindSection(std::vector<Section>& sections, std::string_view name) {
  for (auto& s : sections) {
    if (!s.name.empty() && EqualNoCase(s.name, name)) return &s;
  }
  return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
  for (auto& e : section.entries) {
    if (EqualNoCase(e.name, name)) return &e;
  }
  return nullptr;
}

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
std::optional<std::vector<Section>> LoadForWrite(const std::u16string& file) {
  auto& fs = SystemFileSystem();
  if (fs.Probe(file) != PathKind::File) return std::vector<Section>(1);
  auto text = fs.ReadAll(file);
  if (!text) return std::nullopt;
  return Parse(*text);
}

class PosixProfile final : public ProfileStore {
 public:
  std::string Read(std::string_view section, std::string_view key, std::size_t bufferSize,
                   const std::u16string& file) override {
    if (bufferSize == 0) return {};
    auto text = SystemFileSystem().ReadAll(file);
    if (!text) return {};
    auto sections = Parse(*text);
    Section* s = FindSection(sections, Trim(section));
    if (!s) return {};
    Entry* e = FindEntry(*s, Trim(key));
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
    auto sections = Parse(*text);
    Section* s = FindSection(sections, Trim(section));
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
    auto sections = Parse(*text);
    Section* s = FindSection(sections, Trim(section));
    if (!s) return entries;
    for (const auto& e : s->entries) {
      if (!e.name.empty() && e.value) entries.emplace_back(e.name, *e.value);
    }
    return entries;
  }

  bool WriteSection(std::string_view section, const Entries& entries,
                    const std::u16string& file) override {
    auto loaded = LoadForWrite(file);
    if (!loaded) return false;
    auto& sections = *loaded;
    const std::string_view sectionName = Trim(section);
    Section* s = FindSection(sections, sectionName);
    if (!s) {
      sections.push_back({std::string(sectionName), {}});
      s = &sections.back();
    }
    s->entries.clear();
    for (const auto& [key, value] : entries) {
      std::string_view v = value;
      while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
      s->entries.push_back({std::string(Trim(key)), std::string(v)});
    }
    return SystemFileSystem().WriteAll(file, Serialize(sections));
  }

  bool Write(std::string_view section, std::string_view key, std::string_view value,
             const std::u16string& file) override {
    auto loaded = LoadForWrite(file);
    if (!loaded) return false;
    auto& sections = *loaded;
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    Section* s = FindSection(sections, sectionName);
    if (!s) {
      sections.push_back({std::string(sectionName), {}});
      s = &sections.back();
    }
    Entry* e = FindEntry(*s, keyName);
    if (e && e->value && *e->value == value) return true;
    if (!e) {
      s->entries.push_back({std::string(keyName), std::nullopt});
      e = &s->entries.back();
    }
    e->value = std::string(value);
    return SystemFileSystem().WriteAll(file, Serialize(sections));
  }
};

}  // namespace

ProfileStore& SystemProfile() {
  static PosixProfile instance;
  return instance;
}

}  // namespace cardo
