#pragma once
// Texts of start-up and shutdown, spelled exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kSettingsCreateFailed[] = u"設定保持ファイルの作成に失敗しました。";
inline constexpr char16_t kSettingsSaveFailed[] = u"設定の保存に失敗しました。";
// Followed by CR LF and the settings file's path.
inline constexpr char16_t kSettingsUnreadable[] =
    u"設定ファイルを読み込めなかったため、既定の設定で起動します。この設定ファイルは終了時にも変更"
    u"しません。";
inline constexpr char16_t kHistoryEmpty[] = u"履歴はありません";

}  // namespace cardo::msg
