#pragma once
// Texts of the topic viewer and the version window, spelled exactly as the program shows
// them.

namespace cardo::msg {

// After "[" and the topic file's path.
inline constexpr char16_t kTopicFileMissing[] =
    u"]が見つかりません。\r\nテキストを表示できませんでした。";
inline constexpr char16_t kViewerSaveTitle[] = u"保存";
inline constexpr char16_t kTextFilter[] =
    u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";
inline constexpr char16_t kLibraryTip[] = u"CARDOFNC.DLLのバージョンダイアログを表示します";

}  // namespace cardo::msg
