#pragma once
// Which export files an instance of the program writes. Each running instance in one folder
// holds a number of its own: 1 for the first, which writes the files under their usual names
// (TEMP.LST), 2 for the next (TEMP2.LST), and so on. A number stays taken while its instance
// runs and while any manager that instance started runs, so another instance never overwrites
// a file a manager may not have read yet, even after the instance that wrote it has ended.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/platform/win_handle.h"

namespace cardo {

class ExportSlot {
 public:
  // The number for the export files in `folder`, claimed at the first call; 1 when the system
  // keeps no named objects (nothing can be shared then).
  int Number(const std::u16string& folder);
  // The number stays taken while the process `processId` runs too.
  void ShareWith(std::uint32_t processId);

 private:
  UniqueFile claim_;  // a named mutex, never waited on: its name is the claim
  int number_ = 0;
};

}  // namespace cardo
