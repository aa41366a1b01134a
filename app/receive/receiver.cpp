#include "app/receive/receiver.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>

#include "app/platform/text.h"
#include "app/text/json.h"

namespace cardo {
namespace {

struct RefusalRow {
  RequestRefusal why;
  int status;
  const char* code;
  const char* message;
};

// Each refusal's answer: what the extension shows and what a script can test.
constexpr RefusalRow kRefusals[] = {
    {RequestRefusal::Malformed, 400, "bad-request", "The request is not HTTP/1.1."},
    {RequestRefusal::HeadTooLarge, 431, "head-too-large", "The request's head is over 16 KiB."},
    {RequestRefusal::LengthRequired, 411, "length-required", "The body needs a Content-Length."},
    {RequestRefusal::BodyTooLarge, 413, "too-large", "The body is over 8 MiB."},
    {RequestRefusal::CutShort, 400, "cut-short", "The body ended before its Content-Length."},
    {RequestRefusal::TooSlow, 408, "too-slow", "The request took over 10 seconds."},
    {RequestRefusal::WrongHost, 421, "wrong-host", "Host must be the receiver's loopback address."},
    {RequestRefusal::WebOrigin, 403, "web-origin",
     "Only browser extensions may call the receiver."},
    {RequestRefusal::NoToken, 401, "token", "The token is missing or wrong."},
    {RequestRefusal::NotFound, 404, "not-found", "The receiver serves /v1/links and /v1/status."},
    {RequestRefusal::WrongMethod, 405, "method", "The path does not take this method."},
    {RequestRefusal::MalformedJson, 400, "malformed-json", "The body is not JSON."},
    {RequestRefusal::NotLinks, 400, "not-links",
     "The body must be {\"page\", \"title\", \"urls\": [URL or {\"url\", \"page\"}]}."},
};

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 411:
      return "Length Required";
    case 413:
      return "Content Too Large";
    case 421:
      return "Misdirected Request";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Error";
  }
}

bool IsExtensionOrigin(std::string_view origin) {
  return origin.starts_with("chrome-extension://") || origin.starts_with("moz-extension://");
}

// Host as a browser writes it for the receiver: the loopback address (or localhost, which
// no page can rebind) and the receiver's port. Exactly one: a request with a second Host,
// which no browser sends, does not say which it is for.
bool IsOwnHost(const IncomingRequest& request, unsigned short port) {
  const auto named = [](const auto& header) { return header.first == "host"; };
  if (std::ranges::count_if(request.headers, named) != 1) return false;
  const std::string* host = request.Header("host");
  const std::string suffix = ":" + std::to_string(port);
  if (!host->ends_with(suffix)) return false;
  const std::string_view name = std::string_view(*host).substr(0, host->size() - suffix.size());
  return name == "127.0.0.1" || name == "[::1]" || name == "localhost";
}

bool HasToken(const IncomingRequest& request, std::string_view token) {
  const std::string* authorization = request.Header("authorization");
  constexpr std::string_view kScheme = "Bearer ";
  if (!authorization || authorization->size() < kScheme.size()) return false;
  std::string scheme = authorization->substr(0, kScheme.size());
  for (char& c : scheme) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return scheme == "bearer " &&
         SameSecret(std::string_view(*authorization).substr(kScheme.size()), token);
}

ReceiverAnswer Json(int status, std::string body) {
  ReceiverAnswer answer;
  answer.status = status;
  answer.body = std::move(body);
  return answer;
}

}  // namespace

ReceiverAnswer RefusalAnswer(RequestRefusal why) {
  for (const RefusalRow& row : kRefusals) {
    if (row.why != why) continue;
    ReceiverAnswer answer = Json(row.status, "{\"error\":" + JsonQuoted(row.code) +
                                                 ",\"message\":" + JsonQuoted(row.message) + "}");
    if (why == RequestRefusal::NoToken) answer.headers.emplace_back("WWW-Authenticate", "Bearer");
    return answer;
  }
  return Json(500, "{}");
}

namespace {

std::string RoomJson(const std::optional<std::size_t>& room) {
  return room ? std::to_string(*room) : "null";
}

std::string StatusBody(std::string_view version, const std::optional<std::size_t>& room) {
  return "{\"name\":\"Cardo\",\"version\":" + JsonQuoted(version) + ",\"room\":" + RoomJson(room) +
         "}";
}

std::string LinksBody(std::size_t added, const SkippedLinks& skipped,
                      const std::optional<std::size_t>& room) {
  return "{\"added\":" + std::to_string(added) +
         ",\"skipped\":{\"scheme\":" + std::to_string(skipped.scheme) +
         ",\"duplicate\":" + std::to_string(skipped.duplicate) +
         ",\"full\":" + std::to_string(skipped.full) + "},\"room\":" + RoomJson(room) + "}";
}

bool IsTaken(const Url& url) {
  return url.Scheme() == u"http" || url.Scheme() == u"https" || url.Scheme() == u"ftp";
}

bool IsTextOrAbsent(const JsonValue* value) {
  return !value || value->kind == JsonValue::Kind::String || value->kind == JsonValue::Kind::Null;
}

// The links of a {page, title, urls} document, or nullopt when it has not that shape. A URL
// that is no http, https or ftp address, one sent before and one past the room are skipped
// and counted; a relative URL is read against its page.
std::optional<ReceiverAnswer> LinksOf(const JsonValue& document, const ReceiverSettings& settings) {
  const JsonValue* urls = document.Member("urls");
  const JsonValue* page = document.Member("page");
  if (!urls || urls->kind != JsonValue::Kind::Array || !IsTextOrAbsent(page) ||
      !IsTextOrAbsent(document.Member("title"))) {
    return std::nullopt;
  }
  // Each page is read once: most links share the document's or their frame's.
  std::map<std::string, std::optional<Url>> pages;
  const auto pageOf = [&](const JsonValue* text) -> const Url* {
    if (!text || text->kind != JsonValue::Kind::String) return nullptr;
    auto [at, isNew] = pages.try_emplace(text->text);
    if (isNew) {
      at->second = ParseUrl(Utf8ToUtf16(text->text), nullptr, settings.form);
      if (at->second && !IsTaken(*at->second)) at->second.reset();
    }
    return at->second ? &*at->second : nullptr;
  };

  ReceiverAnswer answer;
  answer.kind = ReceiverAnswer::Kind::Links;
  SkippedLinks& skipped = answer.skipped;
  std::set<std::u16string> seen;
  for (const JsonValue& item : urls->items) {
    const JsonValue* text = &item;
    const JsonValue* itemPage = page;
    if (item.kind == JsonValue::Kind::Object) {
      text = item.Member("url");
      if (const JsonValue* own = item.Member("page")) itemPage = own;
      if (!IsTextOrAbsent(itemPage)) return std::nullopt;
    }
    if (!text || text->kind != JsonValue::Kind::String) return std::nullopt;
    const Url* base = pageOf(itemPage);
    const auto url = ParseUrl(Utf8ToUtf16(text->text), base, settings.form);
    if (!url || !IsTaken(*url)) {
      ++skipped.scheme;
      continue;
    }
    std::u16string href = url->Href(false);
    if (!seen.insert(href).second) {
      ++skipped.duplicate;
      continue;
    }
    if (settings.room && answer.links.size() >= *settings.room) {
      ++skipped.full;
      continue;
    }
    answer.links.push_back({std::move(href), base ? base->Href(false) : std::u16string()});
  }
  const std::optional<std::size_t> roomLeft =
      settings.room ? std::optional(*settings.room - answer.links.size()) : std::nullopt;
  answer.body = LinksBody(answer.links.size(), skipped, roomLeft);
  return answer;
}

ReceiverAnswer Route(const IncomingRequest& request, const ReceiverSettings& settings) {
  const std::string_view path =
      std::string_view(request.target).substr(0, request.target.find('?'));
  const char* method = path == "/v1/links" ? "POST" : path == "/v1/status" ? "GET" : nullptr;
  if (!method) return RefusalAnswer(RequestRefusal::NotFound);
  // A preflight reaches here only from an extension: web origins were refused before.
  if (request.method == "OPTIONS" && request.Header("origin")) {
    ReceiverAnswer answer;
    answer.status = 204;
    answer.headers = {{"Access-Control-Allow-Methods", method},
                      {"Access-Control-Allow-Headers", "Authorization, Content-Type"},
                      {"Access-Control-Max-Age", "600"}};
    return answer;
  }
  if (request.method != method) {
    ReceiverAnswer answer = RefusalAnswer(RequestRefusal::WrongMethod);
    answer.headers.emplace_back("Allow", method);
    return answer;
  }
  if (!HasToken(request, settings.token)) return RefusalAnswer(RequestRefusal::NoToken);
  if (path == "/v1/status") {
    ReceiverAnswer answer = Json(200, StatusBody(settings.version, settings.room));
    answer.kind = ReceiverAnswer::Kind::Status;
    return answer;
  }
  const auto document = ParseJson(request.body);
  if (!document) return RefusalAnswer(RequestRefusal::MalformedJson);
  auto links = LinksOf(*document, settings);
  return links ? std::move(*links) : RefusalAnswer(RequestRefusal::NotLinks);
}

}  // namespace

std::string ReceiverAnswer::Wire() const {
  std::string wire = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
  for (const auto& [name, value] : headers) wire += name + ": " + value + "\r\n";
  if (status != 204) {
    wire += "Content-Type: application/json; charset=utf-8\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n";
  }
  return wire + "Cache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

ReceiverAnswer AnswerRequest(const RequestReader& reader, const ReceiverSettings& settings) {
  if (reader.state() == RequestReader::State::Refused) return RefusalAnswer(reader.refusal());
  const IncomingRequest& request = reader.request();
  if (!IsOwnHost(request, settings.port)) {
    return RefusalAnswer(RequestRefusal::WrongHost);
  }
  const std::string* origin = request.Header("origin");
  if (origin && !IsExtensionOrigin(*origin)) return RefusalAnswer(RequestRefusal::WebOrigin);
  ReceiverAnswer answer = Route(request, settings);
  if (origin) {
    answer.headers.emplace_back("Access-Control-Allow-Origin", *origin);
    answer.headers.emplace_back("Vary", "Origin");
  }
  return answer;
}

void SettleAnswer(ReceiverAnswer& answer, std::size_t added, std::size_t room,
                  std::string_view version) {
  if (answer.kind == ReceiverAnswer::Kind::Status) {
    answer.body = StatusBody(version, room);
  } else if (answer.kind == ReceiverAnswer::Kind::Links) {
    added = std::min(added, answer.links.size());
    answer.skipped.full += answer.links.size() - added;
    answer.links.resize(added);
    answer.body = LinksBody(added, answer.skipped, room);
  }
}

bool SameSecret(std::string_view a, std::string_view b) {
  unsigned difference = a.size() == b.size() ? 0 : 1;
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n && !a.empty() && !b.empty(); ++i) {
    difference |=
        static_cast<unsigned char>(a[i % a.size()]) ^ static_cast<unsigned char>(b[i % b.size()]);
  }
  return difference == 0 && !a.empty();
}

std::string NewReceiverToken() {
  std::random_device device;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t bits = device();
    for (int shift = 28; shift >= 0; shift -= 4) token += kHex[(bits >> shift) & 15];
  }
  return token;
}

}  // namespace cardo
