#pragma once
// The list as the user waits for it: each key typed into the filter box and each list command
// at the list's limit, timed until the window has drawn the result.
#include "app/shell/main_window.h"
#include "bench/bench_support.h"

namespace cardo::bench {

// Prints the table of the filter and of the commands; each line missing its goal counts in
// `failures`.
void RunViewBench(frmMain& window, BenchUi& ui);

}  // namespace cardo::bench
