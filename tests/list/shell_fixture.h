#pragma once
// A shell over an in-memory list with a scripted user.
#include "app/list/edit_commands.h"
#include "app/list/list_document.h"
#include "app/list/memory_url_list.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

struct ShellFixture {
  MemoryUrlList list;
  std::u16string title = u"Cardo - [無題]";
  ListDocument document{[this](const std::u16string& t) { title = t; }};
  ScriptedUi ui;
  FlakyFileSystem fs;
  FakeHistory recent;
  int extentUpdates = 0;
  ShellContext shell{list, document, ui, fs, recent.history, [this] { ++extentUpdates; }};

  void SetLines(std::initializer_list<const char16_t*> lines) {
    list.Clear();
    for (const auto* line : lines) list.AppendLine(line);
  }
  std::vector<std::u16string> Lines() const { return list.Lines(); }
  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < list.Count(); ++i) {
      if (list.Selected(i)) rows.push_back(i);
    }
    return rows;
  }
};

}  // namespace cardo::testing
