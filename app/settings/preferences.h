#pragma once
// What the preferences dialog edits, without the window: the extension list's four commands,
// the values its controls show and the texts OK refuses. Which setting a control edits is
// the setting rows' control column.
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings/settings_keys.h"

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

// The record as the preferences dialog shows it: each number it edits as its control takes it
// (inside the key's range), and the texts whose empty value stands for a default (the third
// manager's argument template, the aria2 address) as that default.
Settings ShownInPreferences(const Settings& settings);

// OK takes the dialog's values into a copy of the settings, each from its control: a number
// through SetNumberInRange, a list through this. An emptied list keeps the former one, since
// the settings file holds no empty list.
void SetListEntries(Settings& edited, const ListKeys& keys, std::vector<std::u16string> entries);

struct PreferenceProblem {
  int control = 0;         // the control of the refused text; 0 when every text fits
  int extension = -1;      // the entry of the extension list, when it is the list's control
  std::u16string message;  // empty when every text fits
};

// The first text the settings file would give back cut short at the next start, in the order
// of the setting rows, with the message naming it; control 0 when every text fits.
PreferenceProblem CheckPreferences(const Settings& edited);

// An extension that can be registered: false with the message when the settings file could
// not keep it whole.
bool CheckExtension(const std::u16string& extension, std::u16string& message);

}  // namespace cardo
