// SpreadURL: expands one line with its progress window. The expansion runs on a worker
// thread while the caller's thread runs the modal window, whose "中断" button sets the cancel
// flag; the worker ends the window when it is done. The window is modal and the call returns
// only after the worker was joined (WM_DESTROY), so no thread outlives the call; the library
// links nothing of the program, hence its own small worker rather than the program's.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstring>

#include "fnc/bracket_engine.h"
#include "fnc/module_win.h"
#include "fnc/resource.h"
#include "fnc/spread_text.h"

namespace cardo::fnc {
namespace {

constexpr UINT kWorkerDone = WM_APP + 1;

// The one piece of state the window and the worker both touch: 0 run, 1 abort requested.
std::atomic<LONG> cancelFlag{0};

bool SystemLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != FALSE;
}

struct Request {
  const Expansion* expansion = nullptr;
  HWND dialog = nullptr;
  HANDLE worker = nullptr;
  BSTR output = nullptr;  // the finished text, allocated by the worker
  bool outOfMemory = false;
};

BSTR RunExpansion(const Expansion& expansion) {
  const ExpansionText text =
      MeasureExpansion(expansion, kMaxOutputBytes, [] { return cancelFlag.load() != 0; });
  BSTR output = SysAllocStringByteLen(nullptr, static_cast<UINT>(text.bytes));
  if (!output) return nullptr;
  WriteExpansion(expansion, text.lines, reinterpret_cast<char*>(output));
  return output;
}

// Nothing may leave the thread: running out of memory ends the expansion without a text.
void RunExpansionCaught(Request& request) noexcept {
  try {
    request.output = RunExpansion(*request.expansion);
  } catch (...) {
    request.outOfMemory = true;
  }
  if (!request.output) request.outOfMemory = true;
}

DWORD WINAPI Worker(LPVOID param) noexcept {
  auto* request = static_cast<Request*>(param);
  RunExpansionCaught(*request);
  // The dialog lives until this thread is joined, so the post fails only on a full message
  // queue (ten thousand posts waiting), which nothing here fills.
  PostMessageW(request->dialog, kWorkerDone, 0, 0);
  return 0;
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = reinterpret_cast<Request*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      request = reinterpret_cast<Request*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      CentreOver(dialog, GetWindow(dialog, GW_OWNER));
      request->dialog = dialog;
      cancelFlag = 0;
      request->worker = CreateThread(nullptr, 0, Worker, request, 0, nullptr);
      if (!request->worker) {
        // No thread to be had: expand here; the window closes when it is done.
        RunExpansionCaught(*request);
        PostMessageW(dialog, kWorkerDone, 0, 0);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) cancelFlag = 1;
      return TRUE;
    case kWorkerDone:
      EndDialog(dialog, IDOK);
      return TRUE;
    case WM_DESTROY:
      if (request && request->worker) {
        // Destroyed mid-run (its owner closed): stop the expansion rather than finish it.
        cancelFlag = 1;
        // Both fail only for a handle that is not this thread's, which it cannot be.
        WaitForSingleObject(request->worker, INFINITE);
        CloseHandle(request->worker);
        request->worker = nullptr;
      }
      cancelFlag = 0;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

}  // namespace cardo::fnc

using cardo::fnc::Expansion;

// The failure code when the line cannot be expanded for want of memory: no code the pattern
// check gives, so the caller shows that the line was not expanded.
constexpr LONG kSpreadOutOfMemory = 8;

namespace {

LONG Spread(BSTR* result, BSTR* source, HWND owner) {
  if (!result || !source || !*source) return cardo::fnc::kNoOpenBracket;
  const auto* bytes = reinterpret_cast<const char*>(*source);
  const std::string_view line(bytes, strnlen(bytes, SysStringByteLen(*source)));
  const auto code = cardo::fnc::CheckPattern(line, cardo::fnc::SystemLeadByte);
  if (code != cardo::fnc::kPatternOk) return code;

  const auto expansion = Expansion::Parse(line, cardo::fnc::SystemLeadByte);
  cardo::fnc::Request request;
  request.expansion = &*expansion;
  const INT_PTR shown =
      DialogBoxParamW(cardo::fnc::ModuleInstance(), MAKEINTRESOURCEW(IDD_PROGRESS), owner,
                      cardo::fnc::ProgressProc, reinterpret_cast<LPARAM>(&request));
  if (shown <= 0 && !request.output && !request.outOfMemory) {
    // The window could not be made: expand without it.
    cardo::fnc::RunExpansionCaught(request);
  }
  if (request.outOfMemory) {
    SysFreeString(request.output);
    return kSpreadOutOfMemory;
  }
  SysFreeString(*result);
  *result = request.output;
  return cardo::fnc::kPatternOk;
}

}  // namespace

// No exception crosses the export: a line whose parse cannot find memory is a failure code.
extern "C" LONG WINAPI SpreadURL(BSTR* result, BSTR* source, HWND owner) noexcept {
  try {
    return Spread(result, source, owner);
  } catch (...) {
    return kSpreadOutOfMemory;
  }
}
