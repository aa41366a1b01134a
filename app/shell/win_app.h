#pragma once
// The program on Windows: start-up in its order, the message loop, and shutdown.
#include <windows.h>

#include <optional>
#include <string>

namespace cardo {

struct ProgramVersion {
  int major = 0;
  int minor = 0;
};

// The version resource of `module`, or nothing when it has none.
std::optional<ProgramVersion> ReadProgramVersion(HMODULE module);
// The folder of `module`'s file.
std::u16string ModuleDirectory(HMODULE module);
// The system's long form of a path through GetLongPathNameA (255 characters of room).
std::optional<std::u16string> LongPathName(const std::u16string& path);

// Runs the program: `commandTail` is the command line after the program's name.
int RunCardo(HINSTANCE instance, const wchar_t* commandTail, int showCommand);

}  // namespace cardo
