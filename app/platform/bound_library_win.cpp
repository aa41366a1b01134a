#include "app/platform/bound_library_win.h"

namespace cardo {

BoundLibrary::~BoundLibrary() {
  if (module_) FreeLibrary(module_);
}

BoundLibrary::Found BoundLibrary::Proc(const char* name) {
  if (!module_) module_ = LoadLibraryW(file_.c_str());
  if (!module_) return {nullptr, false, GetLastError()};
  const FARPROC proc = GetProcAddress(module_, name);
  return {proc, true, proc ? 0ul : GetLastError()};
}

}  // namespace cardo
