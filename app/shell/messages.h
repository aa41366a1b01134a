#pragma once
// Texts of start-up and shutdown, spelled exactly as the program shows them.

namespace cardo::msg {

inline constexpr char16_t kSettingsCreateFailed[] = u"設定保持ファイルの作成に失敗しました。";
// Both followed by CR LF, the settings file's path, CR LF and the system's reason.
inline constexpr char16_t kSettingsSaveFailed[] = u"設定の保存に失敗しました。";
// Followed by CR LF and the settings file's path.
inline constexpr char16_t kSettingsUnreadable[] =
    u"設定ファイルを読み込めなかったため、既定の設定で起動します。この設定ファイルは終了時にも変更"
    u"しません。";
// Said once, at start-up or at the first failed write, followed by CR LF, the settings file's
// path, CR LF and the system's reason.
inline constexpr char16_t kSettingsNotSavable[] =
    u"このフォルダーには設定を保存できないため、変更した設定は終了時に保存されません。";
inline constexpr char16_t kHistoryEmpty[] = u"履歴はありません";

// F1 when the help file exists but the shell could not open it: the path between the two. The
// system's own text for it ("%1 の EXE フォーマットが不正です。") names neither.
inline constexpr char16_t kHelpNotOpenedPrefix[] = u"ヘルプファイル「";
inline constexpr char16_t kHelpNotOpenedSuffix[] =
    u"」を開けませんでした。この種類のファイルを開くプログラムが設定されていません。";

// The clipboard as a source of links.
inline constexpr char16_t kNoUrlOnClipboard[] = u"クリップボードに URL が見つかりませんでした。";
inline constexpr char16_t kClipboardTooLarge[] =
    u"クリップボードの内容が大きすぎてメモリが足りないため、途中までしか読み取れませんでした。";

// The status bar: "120 行", "選択 3 行", the clipboard watch.
inline constexpr char16_t kStatusLinesSuffix[] = u" 行";
inline constexpr char16_t kStatusSelectedPrefix[] = u"選択 ";
inline constexpr char16_t kStatusSelectedSuffix[] = u" 行";
inline constexpr char16_t kStatusWatching[] = u"クリップボード監視中";
// While the filter is on: "フィルタ: 12 / 3400 行を表示中", and after what a command did.
inline constexpr char16_t kStatusFilterPrefix[] = u"フィルタ: ";
inline constexpr char16_t kStatusFilterMiddle[] = u" / ";
inline constexpr char16_t kStatusFilterSuffix[] = u" 行を表示中";
inline constexpr char16_t kFilteredNoteSuffix[] = u" (表示中の行のみ)";
// The filter box's grey hint while it is empty.
inline constexpr char16_t kFilterCue[] = u"フィルタ (Ctrl+E)";

}  // namespace cardo::msg
