#pragma once
// Texts the shell shows to the user, spelled exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kInfoTitle[] = u"情報";
inline constexpr char16_t kQuestionTitle[] = u"質問";
inline constexpr char16_t kUntitled[] = u"無題";
inline constexpr char16_t kTitlePrefix[] = u"Cardo - [";

inline constexpr char16_t kOpenFailed[] = u"ファイルのオープンが正常に終了しませんでした。";
inline constexpr char16_t kSaveQuestion[] = u"は更新されています。保存しますか？";
inline constexpr char16_t kListFull[] =
    u"リストの行数が上限(32767行)に達したため、追加できなかった行があります。";
inline constexpr char16_t kSettingsCreateFailed[] = u"設定保持ファイルの作成に失敗しました。";
inline constexpr char16_t kSettingsSaveFailed[] = u"設定の保存に失敗しました。";
inline constexpr char16_t kHistoryEmpty[] = u"履歴はありません";
inline constexpr char16_t kHistoryMissingPrefix[] = u"[";
inline constexpr char16_t kHistoryMissingSuffix[] = u"] は存在しません。新しく作成します。";

inline constexpr char16_t kListFilter[] =
    u"リストファイル(*.lst)|*.lst|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";
inline constexpr char16_t kOpenTitle[] = u"開く";
inline constexpr char16_t kAddTitle[] = u"追加";
inline constexpr char16_t kSaveAsTitle[] = u"名前を付けて保存";
inline constexpr char16_t kListExt[] = u"lst";

}  // namespace cardo::msg
