#include "app/shell/tool_windows.h"

namespace cardo {

ToolWindows::ToolWindows(ToolContext context, SpreadFunction spread, Download download,
                         std::function<void()> setPrefarence)
    : context_(std::move(context)),
      spreadUrl_(context_, spread ? std::move(spread) : LibrarySpread(library_)),
      extract_(context_, std::move(download)),
      prefarence_(context_, std::move(setPrefarence),
                  [this](const Settings& before) { PreferencesStored(before); }) {}

// An open window holds copies of values the preferences edit too, and stores them when it
// closes: a value the preferences just changed replaces the copy, so the newer value is the
// one that stays.
void ToolWindows::PreferencesStored(const Settings& before) {
  if (geneList_.IsOpen()) geneList_.PreferencesStored(before);
  if (extract_.IsOpen()) extract_.PreferencesStored(before);
}

bool ToolWindows::StoreSettings() {
  if (geneList_.IsOpen()) geneList_.Form_QueryUnload();
  if (freeInput_.IsOpen()) freeInput_.Form_QueryUnload();
  return !extract_.IsOpen() || extract_.Form_QueryUnload();
}

}  // namespace cardo
