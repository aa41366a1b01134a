#pragma once
// The pages of web_pages.py (or another script that writes its CA and ports the same way,
// link_server.py), served on localhost by a Python process this test starts, and its test CA
// trusted in this Wine prefix's machine "Root" store while they are up. The program's
// validation is the system's own.
#include <vector>

#include "tests/support/script_server.h"

namespace cardo::e2e {

class WebPages : public testing::ScriptServer {
 public:
  explicit WebPages(const char* script = CARDO_WEB_PAGES_SCRIPT) : ScriptServer(script) {}

  bool ready() const { return ScriptServer::ready() && ports().size() >= 3; }
  int https() const { return ports()[0]; }
  int untrusted() const { return ports()[1]; }
  int http() const { return ports()[2]; }
};

}  // namespace cardo::e2e
