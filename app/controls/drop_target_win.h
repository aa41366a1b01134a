#pragma once
// An OLE drop target that a window attaches: it reports dropped plain text (CF_UNICODETEXT,
// else CF_TEXT through the codec) and file lists (CF_HDROP) with the modifier keys held, and
// lets the handler choose the drop effect. OLE must be initialised on the thread.
#include <windows.h>
#include <ole2.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cardo {

struct DropData {
  std::optional<std::u16string> text;
  std::vector<std::u16string> files;
  DWORD keys = 0;  // MK_SHIFT, MK_CONTROL, MK_ALT, mouse buttons
  POINT at{};      // screen position
};

// The effect of an accepted drop: a copy when the source offers one, else what it offers.
inline DWORD CopyEffect(DWORD allowed) {
  return (allowed & DROPEFFECT_COPY) ? DWORD{DROPEFFECT_COPY} : allowed;
}

// The text and files an IDataObject offers.
DropData ReadDropData(IDataObject* data);

class DropTarget final : public IDropTarget {
 public:
  using Handler = std::function<DWORD(const DropData&, DWORD allowed)>;
  // Registers a target on `hwnd`; it lives until Revoke (or the window's end, through Revoke).
  static DropTarget* Attach(HWND hwnd, Handler dragOver, Handler drop);
  static void Revoke(HWND hwnd);
  // Turns a control's drop mode on or off: while on, drops go to the handlers it holds (which
  // may be set or changed later); `mode` is the control's flag.
  static void SetDropMode(HWND hwnd, bool& mode, bool accepts, const Handler& dragOver,
                          const Handler& drop);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

 private:
  DropTarget(HWND hwnd, Handler dragOver, Handler drop)
      : hwnd_(hwnd), dragOver_(std::move(dragOver)), drop_(std::move(drop)) {}
  ~DropTarget() = default;
  LONG refs_ = 1;
  HWND hwnd_;  // the window it is registered on
  Handler dragOver_;
  Handler drop_;
  DropData current_;
};

}  // namespace cardo
