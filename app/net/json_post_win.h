#pragma once
// A JSON body posted over WinHTTP, for the RPC interface of a program on this machine or the
// network (aria2c --enable-rpc).
#include <string>

#include "app/net/http_post.h"

namespace cardo {

// POSTs `body` to the http or https `address` with Content-Type application/json and reads the
// whole answer (at most 64 MiB). Straight to the address, never through the system's proxy:
// the body carries a secret token, and such a program listens on its own network. Blocks for
// at most the time-outs (10 s to connect, 60 s for the answer).
PostResponse WinHttpPostJson(const std::u16string& address, const std::string& body);

}  // namespace cardo
