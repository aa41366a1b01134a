#include "app/platform/export_slot_win.h"

#include "app/platform/wide_text_win.h"

namespace cardo {
namespace {

// Past this many instances in one folder (or without named objects) the usual names are
// shared, as they always were.
constexpr int kMostSlots = 99;

// The folder as a short tag for object names (which may not hold "\"): a 64-bit FNV-1a hash
// of its upper-cased path, so "C:\Tools\" and "c:\tools\" name one folder.
std::u16string FolderTag(const std::u16string& folder) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char16_t c : folder) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c == u'/') c = u'\\';
    hash = (hash ^ c) * 1099511628211ull;
  }
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string tag;
  for (int shift = 60; shift >= 0; shift -= 4) tag.push_back(kHex[(hash >> shift) & 0xF]);
  return tag;
}

}  // namespace

int ExportSlot::Number(const std::u16string& folder) {
  if (number_ != 0) return number_;
  const std::u16string stem = u"Cardo.ExportFiles." + FolderTag(folder) + u".";
  for (int n = 1; n <= kMostSlots; ++n) {
    const std::u16string name =
        stem + static_cast<char16_t>(u'0' + n / 10) + static_cast<char16_t>(u'0' + n % 10);
    UniqueFile mutex(CreateMutexW(nullptr, FALSE, W(name)));
    if (!mutex) break;
    if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
    claim_ = std::move(mutex);
    number_ = n;
    return number_;
  }
  number_ = 1;
  return number_;
}

void ExportSlot::ShareWith(std::uint32_t processId) {
  if (!claim_ || processId == 0) return;
  UniqueFile process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
  if (!process) return;
  // A copy of the claim in the manager's handle table, closed by the system when it ends.
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), claim_.get(), process.get(), &copy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
}

}  // namespace cardo
