#pragma once
// Texts of the list document and its file commands, spelled exactly as the program shows
// them. Every window that opens, saves or adds to the list shows these.

#include "app/platform/ui_messages.h"

namespace cardo::msg {

inline constexpr char16_t kUntitled[] = u"無題";
inline constexpr char16_t kTitlePrefix[] = u"Cardo - [";
inline constexpr char16_t kOpenFailed[] = u"ファイルのオープンが正常に終了しませんでした。";
// Followed by CR LF, the path, CR LF and the system's reason.
inline constexpr char16_t kSaveFailed[] = u"ファイルの保存に失敗しました。";
// Followed by CR LF, the first such line, CR LF and kNotInCodePageQuestion.
inline constexpr char16_t kNotInCodePage[] =
    u"Shift-JIS で表せない文字を含む行があります。保存すると、その文字は「?」に置き換わります。";
inline constexpr char16_t kNotInCodePageQuestion[] = u"このまま保存しますか？";
inline constexpr char16_t kSaveQuestion[] = u"は更新されています。保存しますか？";
inline constexpr char16_t kListFull[] =
    u"リストの行数が上限(32767行)に達したため、追加できなかった行があります。";
// Around the most code units the list holds, in digits grouped by three.
inline constexpr char16_t kListTextFullPrefix[] = u"リストの文字数が上限(";
inline constexpr char16_t kListTextFullSuffix[] =
    u"文字)に達したため、追加できなかった行があります。";
inline constexpr char16_t kHistoryMissingPrefix[] = u"[";
inline constexpr char16_t kHistoryMissingSuffix[] = u"] は存在しません。新しく作成します。";
// Followed by the path, CR LF and the reason.
inline constexpr char16_t kUnreadableFile[] = u"ファイルを読み込めませんでした : ";
inline constexpr char16_t kListFilter[] =
    u"リストファイル(*.lst)|*.lst|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";
inline constexpr char16_t kOpenTitle[] = u"開く";
inline constexpr char16_t kAddTitle[] = u"追加";
inline constexpr char16_t kSaveAsTitle[] = u"名前を付けて保存";
inline constexpr char16_t kListExt[] = u"lst";

}  // namespace cardo::msg
