#pragma once
// What the preferences dialog edits, without the window: the extension list's four commands
// and the values OK stores into the settings.
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings/app_settings.h"

namespace cardo {

// The extension list as the dialog shows it: its entries, the selected one (-1: none) and,
// after a move, the entry to scroll to the top (-1: leave the scroll alone).
struct ExtListState {
  std::vector<std::u16string> items;
  int selected = -1;
  int scrollTo = -1;
};

enum class ExtCommand { Register = 0, Delete = 1, Up = 2, Down = 3 };

// Register puts `text` before the selected entry (at the end when none) and selects it; false,
// with nothing changed, when `text` is empty. Delete, Up and Down act on the selected entry
// and do nothing without one (or at the list's ends).
bool RunExtCommand(ExtListState& list, ExtCommand command, const std::u16string& text);

struct PreferenceValues {
  std::u16string filter;
  bool twinChar = false;
  bool notReturnSearch = false;
  bool cmbIntl = false;
  std::int32_t listMax = 1;  // as typed; stored inside its key's range
  std::vector<std::u16string> extensions;
  std::u16string reGetPath;
  std::u16string iriaPath;
  std::u16string otherPath;
  std::u16string otherArgs;
  std::int16_t otherFormat = 0;
  std::int16_t exportReferer = 0;
  std::u16string exportRefererUrl;
  std::int16_t exportNames = 0;
  std::int32_t exportDigits = 3;  // as typed; stored inside its key's range
  std::u16string exportFolder;
  std::u16string exportWatchFolder;
  std::u16string aria2RpcAddress;
  std::u16string aria2RpcSecret;
};

// The texts of the dialog that the settings file keeps, in the order OK checks them.
enum class PreferenceText {
  None,
  ReGetPath,
  IriaPath,
  OtherPath,
  OtherArgs,
  Filter,
  Extension,
  ExportRefererUrl,
  ExportFolder,
  ExportWatchFolder,
  Aria2RpcAddress,
  Aria2RpcSecret,
};

struct PreferenceProblem {
  PreferenceText text = PreferenceText::None;
  int extension = -1;      // the entry of the extension list, for PreferenceText::Extension
  std::u16string message;  // empty when every text fits
};

// The first text the settings file would give back cut short at the next start, with the
// message naming it; PreferenceText::None when every text fits.
PreferenceProblem CheckPreferences(const PreferenceValues& values);

// An extension that can be registered: false with the message when the settings file could
// not keep it whole.
bool CheckExtension(const std::u16string& extension, std::u16string& message);

// OK: every value into the settings, in the dialog's order. An emptied extension list keeps
// the former one, since the settings file holds no empty list.
void StorePreferences(const PreferenceValues& values, Settings& settings);

}  // namespace cardo
