#pragma once
// Texts of the list document and its file commands, spelled exactly as the program shows
// them. Every window that opens, saves or adds to the list shows these.

#include "app/platform/ui_messages.h"

namespace cardo::msg {

inline constexpr char16_t kUntitled[] = u"無題";
// The status bar's note on the last change of the list: the count of lines, then the text;
// undo and redo say theirs alone.
inline constexpr char16_t kLinesAdded[] = u" 行を追加しました";
inline constexpr char16_t kLinesRemoved[] = u" 行を削除しました";
inline constexpr char16_t kLinesChanged[] = u" 行を変更しました";
inline constexpr char16_t kLinesReordered[] = u" 行を並べ替えました";
inline constexpr char16_t kStepUndone[] = u"元に戻しました";
inline constexpr char16_t kStepRedone[] = u"やり直しました";
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
// Offered after kListFilter in the save dialogs: the list is written in that encoding (the
// other filters keep the list's own).
inline constexpr char16_t kListEncodingFilters[] =
    u"|UTF-8 のリストファイル(*.lst)|*.lst|Shift-JIS のリストファイル(*.lst)|*.lst";
// Shown once when an open or add read lines whose bytes are no characters of the file's encoding.
inline constexpr char16_t kUndecodableRead[] =
    u"読み込んだファイルに、文字として読めないバイトを含む行がありました。"
    u"その行は、ファイルのとおりには表示も保存もできません。";
// The question before a save over a file the list holds only partly: the file's name,
// kPartialReadSuffix, CR LF, one line per loss, then kPartialReadQuestion.
inline constexpr char16_t kPartialReadSuffix[] =
    u" は一部しか読み込めていないため、上書きするとファイルの次の部分が失われます。";
// After the first line number not read.
inline constexpr char16_t kPartialLinesNotRead[] =
    u" 行目から後の行(リストに読み込めるのは32767行までです)";
// Around the count of lines, then the first one's number and kUndecodableLinesEnd.
inline constexpr char16_t kUndecodableLinesPrefix[] = u"文字として読めないバイト(";
inline constexpr char16_t kUndecodableLinesMiddle[] = u" 行、最初は ";
inline constexpr char16_t kUndecodableLinesEnd[] = u" 行目)";
inline constexpr char16_t kPartialReadQuestion[] = u"上書きしますか？";
inline constexpr char16_t kOpenTitle[] = u"開く";
inline constexpr char16_t kAddTitle[] = u"追加";
inline constexpr char16_t kSaveAsTitle[] = u"名前を付けて保存";
inline constexpr char16_t kListExt[] = u"lst";

}  // namespace cardo::msg
