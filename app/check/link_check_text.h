#pragma once
// The link check's results as the window says them: a status in Japanese, and rows as
// TAB-separated text for the clipboard and for a results file.
#include <string>
#include <vector>

#include "app/check/link_check.h"

namespace cardo {

// The 状態 column: the answer's status and what it means ("200 正常", "404 無効"), or for a
// result without one what kept it from coming ("接続拒否", "未確認"...). cardo-cli keeps
// StatusText's codes, which scripts read.
std::u16string StatusLabel(const LinkResult& result);

// Each row's cells joined by TAB, each row ended by CR LF; a TAB, CR or LF inside a cell
// becomes a space, so every row stays one line of as many fields as the others.
std::u16string TabSeparatedRows(const std::vector<std::vector<std::u16string>>& rows);

}  // namespace cardo
