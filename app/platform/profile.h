#pragma once
// The profile seam: reading and writing one value of an INI file, with the contract of the
// system's GetPrivateProfileStringA / WritePrivateProfileStringA. Sections and keys match
// without regard to ASCII case; names and values are trimmed of surrounding blanks; a value
// enclosed in a matching pair of quotes is read without them. Strings are ANSI bytes.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cardo {

class ProfileStore {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;
  virtual ~ProfileStore() = default;
  // The value, at most bufferSize - 1 bytes; empty when the file, section or key is missing.
  virtual std::string Read(std::string_view section, std::string_view key, std::size_t bufferSize,
                           const std::u16string& file) = 0;
  // The names of the keys of a section, in file order; empty when there is none.
  virtual std::vector<std::string> ReadKeyNames(std::string_view section,
                                                const std::u16string& file) = 0;
  // Creates the file, section and key as needed; false when the file cannot be written.
  virtual bool Write(std::string_view section, std::string_view key, std::string_view value,
                     const std::u16string& file) = 0;
  // Every entry of a section as stored (values unquoted, unconverted), in file order, in one
  // read of the file; empty when there is none.
  virtual Entries ReadSection(std::string_view section, const std::u16string& file) = 0;
  // Replaces every entry of a section with `entries`, in order, in one write of the file (the
  // section keeps its place; a new one goes last). False when the file cannot be written.
  virtual bool WriteSection(std::string_view section, const Entries& entries,
                            const std::u16string& file) = 0;
  // False when `file` cannot be named to the profile functions at all (a folder whose name
  // the ANSI code page cannot spell, on a volume without short names).
  virtual bool CanReach(const std::u16string& file) = 0;
};

// Windows: the system functions, bound by name from kernel32 at their first call.
// Natively: our own reader and writer, with the same observable behaviour.
ProfileStore& SystemProfile();

}  // namespace cardo
