// Not a test: a drag source in a process of its own, as Explorer or a browser is to Cardo.
// "drag_source X Y text TEXT" or "drag_source X Y file PATH" puts the pointer on the screen
// point (X, Y), drags the text (CF_UNICODETEXT) or the file (CF_HDROP) there with DoDragDrop
// and drops it. The exit code is the effect the target gave (DROPEFFECT_*), or 100 and up
// when the drag could not run.
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

class DataObject final : public IDataObject {
 public:
  DataObject(CLIPFORMAT format, std::wstring bytes) : bytes_(std::move(bytes)) {
    format_.cfFormat = format;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T size = bytes_.size() * sizeof(wchar_t);
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!global) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(global), bytes_.data(), size);
    GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == format_.cfFormat && (format->tymed & TYMED_HGLOBAL) ? S_OK
                                                                                   : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &format_, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  FORMATETC format_{0, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  std::wstring bytes_;  // the medium's content, whatever the format
  ULONG refs_ = 1;
};

// Lets the drag enter and move over the target a few times, then drops.
class DropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return ++asked_ < 4 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  int asked_ = 0;
};

// CF_HDROP's medium: the list header, then the path, NUL, and the NUL that ends the list.
std::wstring FileList(const std::wstring& path) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::wstring bytes(sizeof header / sizeof(wchar_t), L'\0');
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes + path + L'\0' + L'\0';
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 5) return 100;
  const std::wstring kind = argv[3];
  if (kind != L"text" && kind != L"file") return 101;
  if (FAILED(OleInitialize(nullptr))) return 102;
  SetCursorPos(_wtoi(argv[1]), _wtoi(argv[2]));
  DataObject data(kind == L"text" ? CF_UNICODETEXT : CF_HDROP,
                  kind == L"text" ? std::wstring(argv[4]) + L'\0' : FileList(argv[4]));
  DropSource source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = DoDragDrop(&data, &source, DROPEFFECT_COPY, &effect);
  OleUninitialize();
  LocalFree(argv);
  return result == DRAGDROP_S_DROP ? static_cast<int>(effect) : 103;
}
