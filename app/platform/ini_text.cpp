#include "app/platform/ini_text.h"

#include "app/platform/lower_case.h"

namespace cardo {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view DropLeadingBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

IniEntry* FindEntry(IniSection& section, std::string_view name) {
  // One look-up (a profile read) scans; the index pays off from the second.
  if (!section.indexed && !section.lookedUp) {
    section.lookedUp = true;
    for (auto& e : section.entries) {
      if (EqualIgnoringAsciiCase(e.name, name)) return &e;
    }
    return nullptr;
  }
  if (!section.indexed) {
    for (std::size_t i = 0; i < section.entries.size(); ++i) {
      section.places.emplace(AsciiLower(section.entries[i].name), i);
    }
    section.indexed = true;
  }
  const auto place = section.places.find(AsciiLower(name));
  return place == section.places.end() ? nullptr : &section.entries[place->second];
}

void AddEntry(IniSection& section, IniEntry entry) {
  if (section.indexed) section.places.emplace(AsciiLower(entry.name), section.entries.size());
  section.entries.push_back(std::move(entry));
}

}  // namespace

std::string_view TrimIniBlanks(std::string_view s) {
  s = DropLeadingBlanks(s);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

IniText IniText::Parse(std::string_view text) {
  IniText ini;
  auto& sections = ini.sections_;
  sections.resize(1);
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl == std::string_view::npos ? text.size() : nl + 1);
    text.remove_prefix(line.size());
    line = TrimIniBlanks(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        sections.push_back({std::string(line.substr(1, close - 1)), {}, {}, false, false});
        continue;
      }
    }
    IniEntry entry;
    std::string_view name = line;
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      name = TrimIniBlanks(line.substr(0, eq));
      entry.value = std::string(DropLeadingBlanks(line.substr(eq + 1)));
    }
    entry.name = std::string(name);
    auto& entries = sections.back().entries;
    // Runs of nameless entries collapse into one, as the system does.
    if (!entry.name.empty() || entries.empty() || !entries.back().name.empty()) {
      AddEntry(sections.back(), std::move(entry));
    }
  }
  return ini;
}

std::string IniText::Serialize() const {
  std::string out;
  for (const auto& section : sections_) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const auto& entry : section.entries) {
      out += entry.name;
      if (entry.value) out += "=" + *entry.value;
      out += "\r\n";
    }
  }
  return out;
}

IniSection* IniText::Find(std::string_view section) {
  section = TrimIniBlanks(section);
  for (auto& s : sections_) {
    if (!s.name.empty() && EqualIgnoringAsciiCase(s.name, section)) return &s;
  }
  return nullptr;
}

const IniEntry* IniText::Find(std::string_view section, std::string_view key) {
  IniSection* s = Find(section);
  return s ? FindEntry(*s, TrimIniBlanks(key)) : nullptr;
}

IniSection& IniText::Section(std::string_view section) {
  if (IniSection* s = Find(section)) return *s;
  sections_.push_back({std::string(TrimIniBlanks(section)), {}, {}, true, false});
  return sections_.back();
}

void IniText::ClearSection(std::string_view section) {
  IniSection& s = Section(section);
  s.entries.clear();
  s.places.clear();
  s.indexed = true;
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  IniSection& s = Section(section);
  const std::string_view name = TrimIniBlanks(key);
  value = DropLeadingBlanks(value);
  IniEntry* e = FindEntry(s, name);
  if (e && e->value && *e->value == value) return false;
  if (!e) {
    AddEntry(s, {std::string(name), std::nullopt});
    e = &s.entries.back();
  }
  e->value = std::string(value);
  return true;
}

}  // namespace cardo
