#pragma once
// The titles of the program's message boxes, and the texts every window shows alike, spelled
// exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kInfoTitle[] = u"情報";
inline constexpr char16_t kQuestionTitle[] = u"質問";
inline constexpr char16_t kWarningTitle[] = u"警告";

// An operation of a window that failed with no failure of its own to name.
inline constexpr char16_t kUnexpectedOutOfMemory[] =
    u"メモリが足りないため、操作を完了できませんでした。";
inline constexpr char16_t kUnexpectedFailure[] =
    u"予期しないエラーのため、操作を完了できませんでした。";

}  // namespace cardo::msg
