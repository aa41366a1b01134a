#pragma once
// Texts of the exports, spelled exactly as the program shows them and writes them.

namespace cardo::msg {

inline constexpr char16_t kNoList[] = u"リストがありません。";
inline constexpr char16_t kReGetNotFound[] =
    u"ReGetが見つかりません。設定のパスを確認してください。";
inline constexpr char16_t kIriaNotFound[] = u"Iriaが見つかりません。設定のパスを確認してください。";
inline constexpr char16_t kOtherNotFound[] =
    u"その他のダウンロードマネージャが見つかりません。設定のパスを確認してください。";
// Followed by CR LF, the export file's path, CR LF and the system's reason.
inline constexpr char16_t kExportWriteFailed[] = u"エクスポートファイルを書き込めませんでした。";
// Followed by CR LF and the folder.
inline constexpr char16_t kBadExportFolder[] =
    u"ダウンロード先のフォルダに改行などの制御文字があります。";
// Followed by CR LF and the folder.
inline constexpr char16_t kWatchFolderMissing[] =
    u"JDownloader の監視フォルダが見つかりません。設定のフォルダを確認してください。";
// Followed by CR LF, the job file's path, CR LF and the system's reason.
inline constexpr char16_t kWatchJobWriteFailed[] =
    u"JDownloader の監視フォルダにジョブを書き込めませんでした。";
// The status bar's note after an export: the file, kExportNoteTo, the list's line count,
// kExportNoteLines, then kExportNoteWritten, or kExportNoteStarted, the program's file name
// and kExportNoteEnd.
inline constexpr char16_t kExportNoteTo[] = u" に ";
inline constexpr char16_t kExportNoteLines[] = u" 行を書き出し";
inline constexpr char16_t kExportNoteWritten[] = u"ました。";
inline constexpr char16_t kExportNoteStarted[] = u"、";
inline constexpr char16_t kExportNoteEnd[] = u" を起動しました。";
// Followed by CR LF and the note: the job that no program started shows.
inline constexpr char16_t kWatchJobWritten[] = u"JDownloader の監視フォルダにジョブを書きました。";
// The hand-over to a running aria2. Followed by CR LF, the RPC address, CR LF and the reason.
inline constexpr char16_t kAria2NotConnected[] =
    u"aria2 に接続できませんでした。aria2 が --enable-rpc を付けて動いているか、設定の RPC "
    u"アドレスを確認してください。";
// Each followed by CR LF, the RPC address, CR LF and the client's reason.
inline constexpr char16_t kAria2Redirected[] =
    u"RPC アドレスがほかのアドレスへの転送 (3xx) を返したので、送るのをやめました。"
    u"トークンと URL はほかへ送りません。設定の RPC アドレスを確認してください。";
inline constexpr char16_t kAria2Closed[] =
    u"aria2 が応答せずに接続を切りました。1 回に送る要求 (1 MiB まで) が aria2 の "
    u"--rpc-max-request-size を超えていないか確認してください。";
inline constexpr char16_t kAria2NoAnswer[] =
    u"aria2 の応答を最後まで受け取れませんでした。送った URL を aria2 が受け付けたかどうかは"
    u"わかりません。";
// Followed by CR LF, the RPC address, CR LF and the HTTP status.
inline constexpr char16_t kAria2BadAnswer[] =
    u"aria2 の応答を読めませんでした。設定の RPC アドレスを確認してください。";
// Followed by aria2's message ("Unauthorized" for a wrong secret token).
inline constexpr char16_t kAria2Error[] = u"aria2 がエラーを返しました: ";
// Each after a count.
inline constexpr char16_t kAria2Accepted[] = u" 件を aria2 に渡しました。";
inline constexpr char16_t kAria2Refused[] = u" 件は aria2 が受け付けませんでした: ";
// Before the count of refused URLs not named, and " 件".
inline constexpr char16_t kAria2MoreRefused[] = u"… ほか ";
// URLs of a request that failed and of those after it.
inline constexpr char16_t kAria2Unsent[] = u" 件は渡せませんでした。";
inline constexpr char16_t kAria2Skipped[] =
    u" 行は aria2 が取得しないアドレス (http, https, ftp 以外) なので送りませんでした。";
inline constexpr char16_t kIriaHeader[] = u"#Exported By Cardo Ver ";
// The second line of TEMP.IRI, followed by the home page's address.
inline constexpr char16_t kIriaNote[] = u"# Cardo で作成したリストです。ホームページ: ";

}  // namespace cardo::msg
