#pragma once
// The files the download tools save an export's URLs to: one name per URL, decided in the
// export, so that no download overwrites another.
#include <string>
#include <string_view>

#include "app/platform/string_table.h"

namespace cardo {

// The name a browser saves the address with the path `path` (pure ASCII) under: the text
// after its last "/" with each escape of a character a Windows name may hold read ("a%20b.zip"
// is "a b.zip"; the others, "%2F" or "%E4" among them, stay as written, so the name stays ASCII),
// then made safe on Windows: each of \ / : * ? " < > | as "_", spaces and dots at the end
// dropped (Windows drops them), a device name (CON, NUL, COM1.txt ...) or "-" (standard output
// to curl) behind "_", at most 200 characters (the extension kept). A path ending in "/" (a
// folder, a site's root) or nothing left ("..") gives "index.html".
std::string DownloadFileName(std::string_view path);
// One segment of a path made safe as DownloadFileName makes the last one; empty when nothing is
// left ("", "." and ".." among them), which a folder of the rebuilt path leaves out.
std::string SafeName(std::string_view segment);
// Where the extension of `name` starts: its last "." unless that is the first character of its
// last segment (after the last "/"); the end of the name when it has none.
std::size_t ExtensionAt(std::string_view name);

// The names an export has given out, compared without case as Windows compares them; held
// compactly (string_table.h), for an export of millions of lines.
class UniqueNames {
 public:
  // `name` when it is free, else the first free one of "stem.1.ext", "stem.2.ext" ... (the
  // extension as ExtensionAt finds it), as aria2 renames a file that is there. Linear in the names
  // given out however they collide.
  std::string Claim(const std::string& name);
  // Takes `name` out of the free ones, however many times it is reserved: a folder the files
  // below it share, which no file may take.
  void Reserve(const std::string& name);

 private:
  // Lower case; each name's number is the last one tried for it ("stem.N.ext").
  StringTable taken_;
};

}  // namespace cardo
