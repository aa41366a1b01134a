#pragma once
// The command line: split the tail after the program's name into arguments and give each its
// long path form.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// The system's long form of a path, or nothing when it cannot give one.
using LongPathFn = std::function<std::optional<std::u16string>(const std::u16string&)>;

// Splits at single spaces; double quotes join tokens into one argument and are removed.
// Always returns at least one argument. A quoted argument whose closing quote never comes
// takes every remaining token.
std::vector<std::u16string> ParseCommandLine(std::u16string_view tail, const LongPathFn& longPath);

}  // namespace cardo
