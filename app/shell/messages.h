#pragma once
// Texts the shell shows to the user, spelled exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kInfoTitle[] = u"情報";
inline constexpr char16_t kQuestionTitle[] = u"質問";
inline constexpr char16_t kWarningTitle[] = u"警告";
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
inline constexpr char16_t kSettingsCreateFailed[] = u"設定保持ファイルの作成に失敗しました。";
inline constexpr char16_t kSettingsSaveFailed[] = u"設定の保存に失敗しました。";
// Followed by CR LF and the settings file's path.
inline constexpr char16_t kSettingsUnreadable[] =
    u"設定ファイルを読み込めなかったため、既定の設定で起動します。この設定ファイルは終了時にも変更"
    u"しません。";
inline constexpr char16_t kHistoryEmpty[] = u"履歴はありません";
inline constexpr char16_t kHistoryMissingPrefix[] = u"[";
inline constexpr char16_t kHistoryMissingSuffix[] = u"] は存在しません。新しく作成します。";

// Followed by the path, CR LF and the reason.
inline constexpr char16_t kUnreadableFile[] = u"ファイルを読み込めませんでした : ";

inline constexpr char16_t kNoList[] = u"リストがありません。";
inline constexpr char16_t kReGetNotFound[] = u"ReGetが見つかりません。設定のパスを確認してください。";
inline constexpr char16_t kIriaNotFound[] = u"Iriaが見つかりません。設定のパスを確認してください。";
inline constexpr char16_t kOtherNotFound[] =
    u"その他のダウンロードマネージャが見つかりません。設定のパスを確認してください。";
inline constexpr char16_t kIriaHeader[] = u"#Exported By Cardo Ver ";
// The second line of TEMP.IRI, followed by the home page's address.
inline constexpr char16_t kIriaNote[] = u"# Cardo で作成したリストです。ホームページ: ";

// After "[" and the topic file's path.
inline constexpr char16_t kTopicFileMissing[] = u"]が見つかりません。\r\nテキストを表示できませんでした。";
inline constexpr char16_t kViewerSaveTitle[] = u"保存";
inline constexpr char16_t kTextFilter[] = u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";

inline constexpr char16_t kLibraryTip[] = u"CARDOFNC.DLLのバージョンダイアログを表示します";

inline constexpr char16_t kListFilter[] =
    u"リストファイル(*.lst)|*.lst|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";
inline constexpr char16_t kOpenTitle[] = u"開く";
inline constexpr char16_t kAddTitle[] = u"追加";
inline constexpr char16_t kSaveAsTitle[] = u"名前を付けて保存";
inline constexpr char16_t kListExt[] = u"lst";

}  // namespace cardo::msg
