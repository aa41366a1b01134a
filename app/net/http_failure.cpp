#include "app/net/http_failure.h"

#include "app/platform/text.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

// What each failure says; "{}" is where its detail goes.
struct FailureText {
  HttpFailure kind;
  const char16_t* text;
};
constexpr FailureText kFailureTexts[] = {
    {HttpFailure::Cancelled, u"中止しました。"},
    {HttpFailure::BadAddress, kBadAddressReason},
    {HttpFailure::BadHost, kBadHostReason},
    {HttpFailure::NameNotResolved, u"サーバー名を解決できませんでした。"},
    {HttpFailure::Refused, u"サーバーに接続できませんでした。"},
    {HttpFailure::TimedOut, u"サーバーが時間内に応答しませんでした。"},
    {HttpFailure::Closed, u"サーバーとの接続が切れました。"},
    {HttpFailure::BadResponse, u"サーバーの応答が不正です。"},
    {HttpFailure::HeadersCut, u"サーバーの応答ヘッダーが途中で切れています。"},
    {HttpFailure::HeadersTooLong, u"サーバーの応答ヘッダーが長すぎます。"},
    {HttpFailure::CutShort, u"データが途中で切れています。{}"},
    {HttpFailure::TooLarge, u"ページが上限の {} を超えたため、ダウンロードを中止しました。"},
    {HttpFailure::BadCoding, u"圧縮されたデータが壊れています。"},
    {HttpFailure::UnknownCoding, u"対応していない圧縮形式です: {}"},
    {HttpFailure::CertificateExpired, u"サーバーの証明書が有効期間外です。"},
    {HttpFailure::CertificateUntrusted, u"サーバーの証明書の発行元が信頼されていません。"},
    {HttpFailure::CertificateWrongName, u"サーバーの証明書の名前がサーバー名と一致しません。"},
    {HttpFailure::CertificateRevoked, u"サーバーの証明書は失効しています。"},
    {HttpFailure::CertificateInvalid, u"サーバーの証明書を検証できませんでした。"},
    {HttpFailure::TlsVersion,
     u"サーバーが古いバージョンの TLS にしか対応していないため、安全な接続を確立できませんでした"
     u"。"},
    {HttpFailure::TlsFailed, u"安全な接続(TLS)を確立できませんでした。"},
    {HttpFailure::ClientCertificate, u"サーバーがクライアント証明書を求めています。"},
    {HttpFailure::RedirectRefused, u"転送先には送りません: {}"},
    {HttpFailure::UnreadableLocation, kUnreadableLocationReason},
    {HttpFailure::NoPage, u"サーバーはページを返しませんでした: {}"},
    {HttpFailure::Status, u"{}"},
    {HttpFailure::WriteFailed, u"ファイルに書き込めません: {}"},
    {HttpFailure::OutOfMemory, u"メモリが足りません。"},
    {HttpFailure::Other, u"{}"},
};

std::u16string Number(long long value) {
  return Utf8ToUtf16(std::to_string(value));
}

}  // namespace

HttpError MakeHttpError(HttpFailure kind, std::u16string_view detail) {
  // The redirect chain words its own refusals.
  if (kind == HttpFailure::RedirectLoop) return {kind, RedirectLoopReason(detail)};
  if (kind == HttpFailure::TooManyRedirects) return {kind, TooManyRedirectsReason(detail)};
  HttpError error{kind, {}};
  for (const FailureText& row : kFailureTexts) {
    if (row.kind != kind) continue;
    std::u16string text = row.text;
    const std::size_t at = text.find(u"{}");
    if (at == std::u16string::npos) {
      text += detail;
    } else {
      text.replace(at, 2, detail);
    }
    error.reason = std::move(text);
  }
  return error;
}

std::u16string TooLargeReason(long long limitBytes) {
  constexpr long long kMiB = 1024 * 1024;
  const std::u16string size = limitBytes % kMiB == 0 ? Number(limitBytes / kMiB) + u" MiB"
                                                     : Number(limitBytes) + u" バイト";
  return MakeHttpError(HttpFailure::TooLarge, size).reason;
}

std::u16string HeadersTooLongReason() {
  return MakeHttpError(HttpFailure::HeadersTooLong).reason;
}

std::u16string HeadersCutReason() {
  return MakeHttpError(HttpFailure::HeadersCut).reason;
}

std::u16string CutShortReason(long long received, long long announced) {
  const std::u16string count = announced < 0 ? std::u16string()
                                             : u"(" + Number(announced) + u" バイトのうち " +
                                                   Number(received) + u" バイトを受信)";
  return MakeHttpError(HttpFailure::CutShort, count).reason;
}

}  // namespace cardo
