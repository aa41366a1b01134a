#include "app/net/http_client.h"

#include <algorithm>
#include <optional>

#include "app/net/content_decoder.h"
#include "app/platform/text.h"
#include "app/resources/version.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  return lower;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Lowered(a) == Lowered(b);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A Content-Length's value, or -1 when it is none.
long long LengthOf(const std::string* field) {
  if (!field) return -1;
  const std::string_view digits = Trim(*field);
  if (digits.empty() || digits.size() > 18) return -1;
  long long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Whether an answer to `method` with `status` has a body at all.
bool HasBody(std::string_view method, int status) {
  return method != "HEAD" && status >= 200 && status != 204 && status != 304;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned value = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      value = value << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(value >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out;
}

// A part of an address as the bytes it stands for: "%XX" undone, the rest as UTF-8.
std::string PercentDecoded(std::u16string_view text) {
  const std::string bytes = Utf16ToUtf8(text);
  std::string out;
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '%' && i + 2 < bytes.size() && hex(bytes[i + 1]) >= 0 &&
        hex(bytes[i + 2]) >= 0) {
      out += static_cast<char>(hex(bytes[i + 1]) * 16 + hex(bytes[i + 2]));
      i += 2;
    } else {
      out += bytes[i];
    }
  }
  return out;
}

// The directory of a request path, as a cookie without a Path takes it.
std::string DefaultPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

bool PathMatches(const std::string& cookiePath, const std::string& path) {
  if (path.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return path.size() == cookiePath.size() || cookiePath.back() == '/' ||
         path[cookiePath.size()] == '/';
}

bool DomainMatches(const std::string& host, const std::string& domain) {
  return host == domain || (host.size() > domain.size() &&
                            host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
                            host[host.size() - domain.size() - 1] == '.');
}

// The final answer's side of one request: what the client's caller sees, decoded and held to
// its limit, and the counts the body's end is judged by.
class FinalSink final : public StackSink {
 public:
  FinalSink(const HttpRequest& request, std::string_view method, const Url& url, const Url& shown,
            HttpTrail& trail, HttpSink& sink)
      : request_(request), method_(method), url_(url), shown_(shown), trail_(trail), sink_(sink) {}

  bool Head(HttpHead head) override {
    trail_.Note(url_, head);
    head_ = std::move(head);
    const std::string* location = head_.Field("location");
    if (request_.redirects == RedirectPolicy::Follow && IsRedirect(head_.status) && location &&
        !Trim(*location).empty()) {
      location_ = std::string(Trim(*location));
      return false;
    }
    if (request_.redirects == RedirectPolicy::Never && head_.status >= 300 && head_.status < 400) {
      std::u16string detail = Utf8ToUtf16(head_.statusLine);
      if (location) detail += u" Location: " + Utf8ToUtf16(Trim(*location));
      error_ = MakeHttpError(HttpFailure::RedirectRefused, detail);
      return false;
    }
    withBody_ = HasBody(method_, head_.status);
    if (withBody_) {
      // Chunks say where the body ends, whatever a Content-Length says.
      const std::string* coding = head_.Field("transfer-encoding");
      const bool chunked = coding && Lowered(*coding).find("chunked") != std::string::npos;
      length_ = chunked ? -1 : LengthOf(head_.Field("content-length"));
      if (request_.decode) {
        const std::string* encoding = head_.Field("content-encoding");
        const std::string_view name = encoding ? Trim(*encoding) : std::string_view();
        decoder_.emplace(ParseContentEncoding(name));
        if (decoder_->Corrupt()) {
          error_ = MakeHttpError(HttpFailure::UnknownCoding, Utf8ToUtf16(name));
          return false;
        }
      }
    }
    wanted_ = sink_.Head(shown_, head_);
    return wanted_ && withBody_;
  }

  bool Body(std::string_view bytes) override {
    received_ += static_cast<long long>(bytes.size());
    const auto pass = [&](std::string_view piece) {
      if (request_.bodyLimit >= 0 &&
          decoded_ + static_cast<long long>(piece.size()) > request_.bodyLimit) {
        error_ = {HttpFailure::TooLarge, TooLargeReason(request_.bodyLimit)};
        return false;
      }
      decoded_ += static_cast<long long>(piece.size());
      if (!sink_.Body(piece)) stopped_ = true;
      return !stopped_;
    };
    if (!decoder_) return pass(bytes);
    if (decoder_->Feed(bytes, pass)) return true;
    if (decoder_->Corrupt()) error_ = MakeHttpError(HttpFailure::BadCoding);
    return false;
  }

  // The failure of a request whose stack ended without one.
  HttpError Judge(bool bodyCut) const {
    if (error_ || !wanted_ || !withBody_ || stopped_) return error_;
    if (length_ >= 0 && received_ < length_) {
      return {HttpFailure::CutShort, CutShortReason(received_, length_)};
    }
    // Chunks or a compressed body that ended before their end.
    if (bodyCut || (decoder_ && !decoder_->Finish())) {
      return {HttpFailure::CutShort, CutShortReason(received_, -1)};
    }
    return {};
  }

  const std::optional<std::string>& Location() const { return location_; }
  int Status() const { return head_.status; }
  const HttpError& Error() const { return error_; }

 private:
  const HttpRequest& request_;
  std::string_view method_;
  const Url& url_;
  const Url& shown_;
  HttpTrail& trail_;
  HttpSink& sink_;
  HttpHead head_;
  std::optional<std::string> location_;
  std::optional<ContentDecoder> decoder_;
  HttpError error_;
  bool wanted_ = false;
  bool withBody_ = false;
  bool stopped_ = false;
  long long length_ = -1;
  long long received_ = 0;
  long long decoded_ = 0;
};

}  // namespace

const std::string* FindField(const std::vector<HttpField>& fields, std::string_view name) {
  for (const HttpField& field : fields) {
    if (SameNoCase(field.name, name)) return &field.value;
  }
  return nullptr;
}

std::string UserAgent() {
  return "Cardo/" + std::to_string(CARDO_VERSION_MAJOR) + "." +
         std::to_string(CARDO_VERSION_MINOR) + "." + std::to_string(CARDO_VERSION_BUILD);
}

std::optional<Url> ParseHttpAddress(std::u16string_view text, HttpError& error, UrlForm form) {
  UrlError why = UrlError::NotAUrl;
  std::optional<Url> url = ParseUrl(text, nullptr, form, &why);
  if (url && IsHttpUrl(*url)) return url;
  error = MakeHttpError(
      !url && why == UrlError::HostNotIdna ? HttpFailure::BadHost : HttpFailure::BadAddress, text);
  return std::nullopt;
}

HttpTrail::HttpTrail(const Url& start) {
  // Compared with the addresses as sent.
  const std::optional<Url> sent = ParseUrl(start.Href());
  origin_ = sent ? sent->Origin() : start.Origin();
  if (start.Username().empty() && start.Password().empty()) return;
  authorization_ =
      "Basic " + Base64(PercentDecoded(start.Username()) + ":" + PercentDecoded(start.Password()));
}

std::vector<HttpField> HttpTrail::FieldsFor(const Url& url) const {
  std::vector<HttpField> fields;
  if (!authorization_.empty() && url.Origin() == origin_) {
    fields.push_back({"Authorization", authorization_});
  }
  const std::string host = Lowered(Utf16ToUtf8(url.HostName()));
  const std::string path = Utf16ToUtf8(url.Path());
  std::string cookies;
  for (const Cookie& cookie : cookies_) {
    const bool hostFits =
        cookie.hostOnly ? host == cookie.domain : DomainMatches(host, cookie.domain);
    if (!hostFits || !PathMatches(cookie.path, path) ||
        (cookie.secure && url.Scheme() != u"https")) {
      continue;
    }
    cookies += (cookies.empty() ? "" : "; ") + cookie.name + "=" + cookie.value;
  }
  if (!cookies.empty()) fields.push_back({"Cookie", cookies});
  return fields;
}

void HttpTrail::Note(const Url& url, const HttpHead& head) {
  const std::string host = Lowered(Utf16ToUtf8(url.HostName()));
  for (const HttpField& field : head.fields) {
    if (!SameNoCase(field.name, "set-cookie")) continue;
    std::string_view rest = field.value;
    const std::string_view pair = rest.substr(0, rest.find(';'));
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) continue;
    Cookie cookie{std::string(Trim(pair.substr(0, equals))),
                  std::string(Trim(pair.substr(equals + 1))), host,
                  DefaultPath(Utf16ToUtf8(url.Path()))};
    if (cookie.name.empty()) continue;
    bool expired = false;
    bool foreign = false;
    for (std::size_t at = rest.find(';'); at != std::string_view::npos;) {
      rest.remove_prefix(at + 1);
      at = rest.find(';');
      const std::string_view attribute = Trim(rest.substr(0, at));
      const std::size_t eq = attribute.find('=');
      const std::string name = Lowered(Trim(attribute.substr(0, eq)));
      const std::string_view value =
          eq == std::string_view::npos ? std::string_view() : Trim(attribute.substr(eq + 1));
      if (name == "domain" && !value.empty()) {
        std::string domain = Lowered(value.front() == '.' ? value.substr(1) : value);
        if (!DomainMatches(host, domain)) foreign = true;
        cookie.domain = std::move(domain);
        cookie.hostOnly = false;
      } else if (name == "path" && !value.empty() && value.front() == '/') {
        cookie.path = std::string(value);
      } else if (name == "max-age") {
        expired = !value.empty() && (value.front() == '-' || value == "0");
      } else if (name == "secure") {
        cookie.secure = true;
      }
    }
    if (foreign) continue;
    cookies_.erase(std::remove_if(cookies_.begin(), cookies_.end(),
                                  [&](const Cookie& kept) {
                                    return kept.name == cookie.name &&
                                           kept.domain == cookie.domain && kept.path == cookie.path;
                                  }),
                   cookies_.end());
    if (!expired) cookies_.push_back(std::move(cookie));
  }
}

HttpError HttpClient::Fetch(const HttpRequest& request, HttpSink& sink,
                            const std::atomic<bool>& cancelled, HttpTrail* trail) const {
  const HttpError cancel = MakeHttpError(HttpFailure::Cancelled);
  HttpError error;
  std::optional<Url> start = ParseHttpAddress(request.url.Href(false), error);
  if (!start) return error;
  std::optional<HttpTrail> own;
  if (!trail) trail = &own.emplace(*start);
  std::string method = request.method;
  std::string body = request.body;
  RedirectChain chain(std::move(*start));
  for (;;) {
    if (cancelled) return cancel;
    const Url url = chain.Current();
    if (!IsHttpUrl(url)) return MakeHttpError(HttpFailure::BadAddress, url.Href());
    StackRequest hop{method, url.WithoutCredentials(), request.fields,
                     body,   request.silence,          request.proxy};
    hop.fields.push_back({"User-Agent", UserAgent()});
    if (request.decode) hop.fields.push_back({"Accept-Encoding", "gzip, deflate"});
    for (HttpField& field : trail->FieldsFor(url)) hop.fields.push_back(std::move(field));
    // A page not redirected keeps the address as it was given (characters beyond ASCII as
    // written); a redirected one is the address requested.
    FinalSink answer(request, method, url, chain.Redirected() ? url : request.url, *trail, sink);
    const StackOutcome outcome = stack_->Exchange(hop, answer, cancelled);
    if (cancelled) return cancel;
    if (answer.Error()) return answer.Error();
    if (outcome.error) return outcome.error;
    if (!answer.Location()) return answer.Judge(outcome.bodyCut);
    const std::string& location = *answer.Location();
    switch (chain.Redirect(location)) {
      case RedirectChain::Step::Follow:
        if (request.follow && !request.follow(chain.Current())) {
          return MakeHttpError(HttpFailure::RedirectRefused, chain.Current().Href());
        }
        break;
      case RedirectChain::Step::Loop:
        return MakeHttpError(HttpFailure::RedirectLoop, chain.Target(location)->Href());
      case RedirectChain::Step::TooMany:
        return MakeHttpError(HttpFailure::TooManyRedirects, url.Href());
      case RedirectChain::Step::Invalid: {
        const std::u16string refusal = chain.Refusal(location);
        const bool host = refusal.rfind(kBadHostReason, 0) == 0;
        return {host ? HttpFailure::BadHost : HttpFailure::BadAddress, refusal};
      }
    }
    // As browsers do: a 303 asks for the new address with GET, and so do 301 and 302 a POST.
    if (method != "HEAD" &&
        (answer.Status() == 303 || (method == "POST" && answer.Status() <= 302))) {
      method = "GET";
      body.clear();
    }
  }
}

}  // namespace cardo
