#include "app/net/json_post_win.h"
#include "app/platform/text.h"
#include "cli/json_post.h"

namespace cardo::cli {

PostResponse PostJson(const std::string& address, const std::string& body) {
  return WinHttpPostJson(Utf8ToUtf16(address), body);
}

}  // namespace cardo::cli
