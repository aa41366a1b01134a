#pragma once
// The titles of the program's message boxes, spelled exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kInfoTitle[] = u"情報";
inline constexpr char16_t kQuestionTitle[] = u"質問";
inline constexpr char16_t kWarningTitle[] = u"警告";

}  // namespace cardo::msg
