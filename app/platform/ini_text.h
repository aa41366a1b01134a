#pragma once
// The text of an INI file as the system's profile functions see it: a list of sections, each a
// list of entries. A line without "=" is an entry without a value (the comment lines before the
// first section among them), blank lines are dropped, runs of nameless entries collapse into
// one, and the text is written back one line per section header and entry, each ending CR LF.
// Sections and keys match without regard to ASCII case; names are trimmed of surrounding
// blanks, values of leading ones. Strings are ANSI bytes. Cost: linear in the text per parse
// and per write; a look-up is linear in the number of sections (three in a settings file).
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cardo {

struct IniEntry {
  std::string name;
  std::optional<std::string> value;  // nothing for a line without "="
};

struct IniSection {
  std::string name;  // empty for the lines before the first section
  std::vector<IniEntry> entries;
  // The place of the first entry of each name, lower-cased, built at the second look-up: a
  // look-up then costs the name's length.
  std::unordered_map<std::string, std::size_t> places;
  bool indexed = false;
  bool lookedUp = false;
};

class IniText {
 public:
  // The sections of `text`; an empty text has none but the nameless first one.
  static IniText Parse(std::string_view text);
  std::string Serialize() const;

  // The named section, or nullptr.
  IniSection* Find(std::string_view section);
  // The entry of `key` in `section`, or nullptr.
  const IniEntry* Find(std::string_view section, std::string_view key);
  // Sets `key` of `section` to `value` (its leading blanks dropped): an existing entry keeps its
  // place, a new key goes last in its section, a new section last in the file. False when the
  // entry held that value already.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // The section, created last in the file when it is missing.
  IniSection& Section(std::string_view section);
  // Removes every entry of the section (created when missing), which keeps its place.
  void ClearSection(std::string_view section);

 private:
  std::vector<IniSection> sections_;
};

// Blanks as the profile functions trim them around names and values.
std::string_view TrimIniBlanks(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace cardo
