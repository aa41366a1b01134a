#include "app/generators/spread_library_win.h"

#include <oleauto.h>

#include <memory>
#include <new>

#include "app/platform/win_check.h"

namespace cardo {
namespace {

struct BstrFree {
  void operator()(BSTR b) const { SysFreeString(b); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// The library's strings carry code page bytes, as a BSTR made from bytes.
UniqueBstr ByteString(std::string_view bytes) {
  return UniqueBstr(SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size())));
}

SpreadCall Failure(unsigned long error) {
  SpreadCall call;
  call.status = SpreadCall::Status::Failed;
  call.error = error;
  call.errorText = SystemErrorText(error);
  return call;
}

}  // namespace

SpreadFunction LibrarySpread(BoundLibrary& library) {
  return [&library](HWND owner, std::string_view line) {
    using SpreadUrlFn = LONG(WINAPI*)(BSTR*, BSTR*, HWND);
    const auto found = library.Proc("SpreadURL");
    if (!found.loaded) {
      SpreadCall missing;
      missing.status = SpreadCall::Status::NoLibrary;
      return missing;
    }
    if (!found.proc) return Failure(found.error);
    const auto spread = reinterpret_cast<SpreadUrlFn>(reinterpret_cast<void*>(found.proc));
    UniqueBstr source = ByteString(line);
    UniqueBstr result = ByteString({});
    if (!source || !result) return Failure(ERROR_NOT_ENOUGH_MEMORY);
    BSTR sourceHandle = source.get();
    BSTR resultHandle = result.release();
    SpreadCall call;
    call.code = spread(&resultHandle, &sourceHandle, owner);
    result.reset(resultHandle);  // the library may have replaced it
    if (call.code == 0 && result) {
      try {
        call.result.assign(reinterpret_cast<const char*>(result.get()),
                           SysStringByteLen(result.get()));
      } catch (const std::bad_alloc&) {
        return Failure(ERROR_NOT_ENOUGH_MEMORY);
      }
    }
    return call;
  };
}

}  // namespace cardo
