#include "app/controls/drop_target_win.h"

#include <shellapi.h>

#include <cstring>

#include "app/platform/codec.h"
#include "app/platform/failure_report_win.h"

namespace cardo {
namespace {

// The global memory of one format of the data, while the object lives.
class Medium {
 public:
  Medium(IDataObject* data, CLIPFORMAT format) {
    FORMATETC fmt{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ok_ = data && data->GetData(&fmt, &medium_) == S_OK && medium_.tymed == TYMED_HGLOBAL;
  }
  ~Medium() {
    if (ok_) ReleaseStgMedium(&medium_);
  }
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;
  HGLOBAL get() const { return ok_ ? medium_.hGlobal : nullptr; }

 private:
  STGMEDIUM medium_{};
  bool ok_ = false;
};

}  // namespace

DropData ReadDropData(IDataObject* data) {
  DropData out;
  if (Medium unicode(data, CF_UNICODETEXT); unicode.get()) {
    const auto* text = static_cast<const char16_t*>(GlobalLock(unicode.get()));
    const SIZE_T limit = GlobalSize(unicode.get()) / sizeof(char16_t);
    if (text) {
      SIZE_T n = 0;
      while (n < limit && text[n]) ++n;
      out.text = std::u16string(text, n);
      GlobalUnlock(unicode.get());
    }
  } else if (Medium ansi(data, CF_TEXT); ansi.get()) {
    const auto* text = static_cast<const char*>(GlobalLock(ansi.get()));
    const SIZE_T limit = GlobalSize(ansi.get());
    if (text) {
      out.text = AnsiToWide(std::string_view(text, strnlen(text, limit)));
      GlobalUnlock(ansi.get());
    }
  }
  if (Medium files(data, CF_HDROP); files.get()) {
    auto drop = static_cast<HDROP>(GlobalLock(files.get()));
    if (drop) {
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        out.files.emplace_back(name.begin(), name.end());
      }
      GlobalUnlock(files.get());
    }
  }
  return out;
}

DropTarget* DropTarget::Attach(HWND hwnd, Handler dragOver, Handler drop) {
  auto* target = new DropTarget(hwnd, std::move(dragOver), std::move(drop));
  if (RegisterDragDrop(hwnd, target) != S_OK) {
    target->Release();
    return nullptr;
  }
  target->Release();  // the registration holds the reference now
  return target;
}

void DropTarget::Revoke(HWND hwnd) {
  RevokeDragDrop(hwnd);
}

void DropTarget::SetDropMode(HWND hwnd, bool& mode, bool accepts, const Handler& dragOver,
                             const Handler& drop) {
  if (accepts == mode) return;
  mode = accepts;
  if (!accepts) {
    Revoke(hwnd);
    return;
  }
  const auto forward = [](const Handler& handler) {
    return [&handler](const DropData& data, DWORD allowed) {
      return handler ? handler(data, allowed) : DWORD{DROPEFFECT_NONE};
    };
  };
  Attach(hwnd, forward(dragOver), forward(drop));
}

HRESULT DropTarget::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG DropTarget::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
  try {
    current_ = ReadDropData(data);
  } catch (...) {
    // Not told: the pointer only passes over. A drop here is refused.
    current_ = {};
    *effect = DROPEFFECT_NONE;
    return E_OUTOFMEMORY;
  }
  return DragOver(keys, at, effect);
}

HRESULT DropTarget::DragOver(DWORD keys, POINTL at, DWORD* effect) {
  current_.keys = keys;
  current_.at = {at.x, at.y};
  // Only an effect the source offers may be answered: a move it did not offer would make it
  // delete what it meant to keep.
  try {
    *effect = dragOver_ ? dragOver_(current_, *effect) & *effect : DROPEFFECT_NONE;
  } catch (...) {
    // As above: refused while the pointer passes, without a message on every move.
    *effect = DROPEFFECT_NONE;
  }
  return S_OK;
}

HRESULT DropTarget::DragLeave() {
  current_ = {};
  return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
  const DWORD offered = *effect;
  *effect = DROPEFFECT_NONE;
  current_ = {};
  try {
    DropData dropped = ReadDropData(data);
    dropped.keys = keys;
    dropped.at = {at.x, at.y};
    const DWORD wanted = dragOver_ ? dragOver_(dropped, offered) & offered : offered;
    if (!drop_ || wanted == DROPEFFECT_NONE) return S_OK;
    const DWORD done = drop_(dropped, offered) & offered;
    *effect = done != DROPEFFECT_NONE ? done : wanted;
    return S_OK;
  } catch (...) {
    // Nothing may cross back into the system, and the source waits for this call: the window
    // tells the user once the drop has returned. The source keeps its data.
    HandFailureToWindow(hwnd_);
    return E_UNEXPECTED;
  }
}

}  // namespace cardo
