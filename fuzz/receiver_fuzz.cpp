// Any bytes as a request to the receiver: read whole and read a byte at a time, it gets the
// same answer; an answer that takes links is a 200, and every link taken is an http, https or
// ftp address without fragment, each once.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "app/receive/receiver.h"

namespace {

cardo::ReceiverAnswer AnswerIn(std::string_view bytes, std::size_t piece) {
  cardo::RequestReader reader;
  for (std::size_t at = 0; at < bytes.size(); at += piece) reader.Feed(bytes.substr(at, piece));
  reader.End();
  return cardo::AnswerRequest(reader, {8765, "t", "3.00", 5, cardo::UrlForm::AsWritten});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const cardo::ReceiverAnswer whole = AnswerIn(bytes, bytes.size() + 1);
  const cardo::ReceiverAnswer bytewise = AnswerIn(bytes, 1);
  if (whole.Wire() != bytewise.Wire() || whole.links.size() != bytewise.links.size()) std::abort();
  if (!whole.links.empty() && whole.status != 200) std::abort();
  std::set<std::u16string> seen;
  for (const cardo::ReceivedLink& link : whole.links) {
    const std::u16string_view url = link.url;
    if (!(url.starts_with(u"http://") || url.starts_with(u"https://") ||
          url.starts_with(u"ftp://")) ||
        url.find(u'#') != std::u16string_view::npos || !seen.insert(link.url).second) {
      std::abort();
    }
  }
  return 0;
}
