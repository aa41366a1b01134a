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
inline constexpr char16_t kIriaHeader[] = u"#Exported By Cardo Ver ";
// The second line of TEMP.IRI, followed by the home page's address.
inline constexpr char16_t kIriaNote[] = u"# Cardo で作成したリストです。ホームページ: ";

}  // namespace cardo::msg
