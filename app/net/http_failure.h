#pragma once
// Why an HTTP exchange gave no usable answer, and the one table of what each reason says to
// the user. Every face (the program, cardo-cli.exe, the native cardo-cli) and every user of
// HTTP (the page download, the link check, the send to aria2) says the same words for the
// same failure; only a failure no row names keeps the HTTP stack's own text and number.
#include <string>
#include <string_view>

namespace cardo {

enum class HttpFailure {
  None,
  Cancelled,
  BadAddress,       // not an http or https URL
  BadHost,          // a host IDNA refuses
  NameNotResolved,  // the host name does not resolve
  Refused,          // no connection could be made
  TimedOut,         // silent for the time limit, or headers not whole within it
  Closed,           // the connection ended before any answer
  BadResponse,      // bytes that are no HTTP answer
  HeadersCut,       // the connection ended within the header block
  HeadersTooLong,   // a header block past 256 KiB
  CutShort,         // the body ended before its length, its last chunk or its compressed end
  TooLarge,         // the decoded body would pass the caller's limit
  BadCoding,        // a compressed body that does not decompress
  UnknownCoding,    // a Content-Encoding other than gzip and deflate
  CertificateExpired,
  CertificateUntrusted,  // an issuer no one trusts, a self-signed certificate among them
  CertificateWrongName,
  CertificateRevoked,
  CertificateInvalid,  // any other certificate fault
  TlsVersion,          // the server speaks only TLS versions older than 1.2
  TlsFailed,           // any other handshake failure
  ClientCertificate,   // the server asks for a certificate of ours
  RedirectLoop,
  TooManyRedirects,
  RedirectRefused,     // a 3xx where redirects are not followed
  UnreadableLocation,  // a Location the system gave only as text that lost bytes
  NoPage,              // a 204 where a page was asked for
  Status,              // an answer other than 2xx where a page was asked for
  WriteFailed,         // the file the body goes to
  OutOfMemory,
  Other,  // the stack's own text and number
};

struct HttpError {
  HttpFailure kind = HttpFailure::None;
  std::u16string reason;  // for the user
  explicit operator bool() const { return kind != HttpFailure::None; }
};

// `kind` with the table's text; `detail` fills the text's place for it (an address, a size,
// a status line), or follows the text when it has none.
HttpError MakeHttpError(HttpFailure kind, std::u16string_view detail = {});

// Texts callers build without an exchange.
std::u16string TooLargeReason(long long limitBytes);
std::u16string HeadersTooLongReason();
std::u16string HeadersCutReason();
// `received` of `announced` body bytes (announced < 0: chunks or a compressed body that ended
// before their end).
std::u16string CutShortReason(long long received, long long announced);

}  // namespace cardo
