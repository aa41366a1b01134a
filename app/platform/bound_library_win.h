#pragma once
// A library bound by name at the first call of one of its functions, as the program binds
// CARDOFNC.DLL: loaded through the usual search order (the program's folder first) when a
// function is first asked for, kept until the object ends. A failed load is tried again at
// the next call, so a library put back while the program runs is found.
#include <windows.h>

#include <string>

namespace cardo {

class BoundLibrary {
 public:
  explicit BoundLibrary(std::wstring file) : file_(std::move(file)) {}
  ~BoundLibrary();
  BoundLibrary(const BoundLibrary&) = delete;
  BoundLibrary& operator=(const BoundLibrary&) = delete;

  struct Found {
    FARPROC proc = nullptr;
    bool loaded = false;      // false: the file is missing or cannot be loaded
    unsigned long error = 0;  // the system's error code when proc is null
  };
  Found Proc(const char* name);

 private:
  std::wstring file_;
  HMODULE module_ = nullptr;
};

}  // namespace cardo
