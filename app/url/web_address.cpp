#include "app/url/web_address.h"

#include <algorithm>

#include "app/platform/text.h"

namespace cardo {

namespace {

// Whether `text` starts with a scheme and "://" ("ftp://", "HTTPS://"): a URL the user wrote
// whole, which a prefix would turn into a request to a host named after its scheme.
bool StartsWithScheme(std::u16string_view text) {
  const auto isLetter = [](char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; };
  if (text.empty() || !isLetter(text.front())) return false;
  std::size_t i = 1;
  while (i < text.size() && (isLetter(text[i]) || (text[i] >= u'0' && text[i] <= u'9') ||
                             text[i] == u'+' || text[i] == u'-' || text[i] == u'.')) {
    ++i;
  }
  return text.substr(i, 3) == u"://";
}

}  // namespace

std::u16string DownloadAddress(std::u16string_view typed) {
  if (StartsWithScheme(typed) || typed.find(u"http://") != std::u16string_view::npos ||
      typed.find(u"https://") != std::u16string_view::npos) {
    return std::u16string(typed);
  }
  return u"http://" + std::u16string(typed);
}

bool IsHttpUrl(const Url& url) {
  return url.Scheme() == u"http" || url.Scheme() == u"https";
}

RedirectChain::RedirectChain(Url start) {
  keys_.push_back(start.Href(false));
  visited_.push_back(std::move(start));
}

std::optional<Url> RedirectChain::Target(std::string_view location) const {
  return ParseUrlBytes(location, &Current());
}

RedirectChain::Step RedirectChain::Redirect(std::string_view location) {
  std::optional<Url> next = Target(location);
  if (!next) return Step::Invalid;
  std::u16string key = next->Href(false);
  if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return Step::Loop;
  if (static_cast<int>(visited_.size()) > kMaxRedirects) return Step::TooMany;
  visited_.push_back(std::move(*next));
  keys_.push_back(std::move(key));
  return Step::Follow;
}

std::u16string RedirectChain::Refusal(std::string_view location) const {
  UrlError error = UrlError::NotAUrl;
  static_cast<void>(ParseUrlBytes(location, &Current(), &error));
  return (error == UrlError::HostNotIdna ? kBadHostReason : kBadAddressReason) +
         Utf8ToUtf16(location);
}

std::u16string RedirectLoopReason(std::u16string_view target) {
  return u"転送先が循環しています: " + std::u16string(target);
}

std::u16string TooManyRedirectsReason(std::u16string_view current) {
  return u"転送が10回を超えました: " + std::u16string(current);
}

}  // namespace cardo
