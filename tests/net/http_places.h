#pragma once
// The servers of one row of the table of server behaviours (http_behaviours.h), and the row's
// addresses, reasons and outcome with its places filled in.
#include <memory>
#include <string>

#include "app/platform/text.h"
#include "tests/net/http_behaviours.h"
#include "tests/support/loopback_server.h"
#include "tests/support/script_server.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace cardo::testing {

// Whether this is Wine's WinHTTP, whose readings some rows name apart.
inline bool UnderWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// The CA a native client is told to trust; Windows trusts its store, where the servers put it.
inline std::string NativeCaFile(const ScriptServer& tls) {
#ifdef _WIN32
  return {};
#else
  return tls.caFile();
#endif
}

// What a face must give for a row here.
struct Expected {
  HttpFailure failure = HttpFailure::None;
  std::u16string reason;
  std::string check;  // the check's status text
};

class Places {
 public:
  Places(const Behaviour& row, const ScriptServer& tls) {
    other_ = std::make_unique<LoopbackServer>(Scripts(row.other));
    otherBase_ = "http://127.0.0.1:" + std::to_string(other_->port());
    main_ = std::make_unique<LoopbackServer>(Scripts(row.served));
    base_ = "http://127.0.0.1:" + std::to_string(main_->port());
    closed_ = "http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
    tls_ = tls.ports();
  }

  std::string Fill(std::string text) const {
    const std::string names[] = {"trusted", "expired", "self", "wrong", "tls10"};
    for (std::size_t i = 0; i < std::size(names) && i < tls_.size(); ++i) {
      Replace(text, "{tls:" + names[i] + "}", "https://localhost:" + std::to_string(tls_[i]));
    }
    Replace(text, "{base}", base_);
    Replace(text, "{other}", otherBase_);
    Replace(text, "{closed}", closed_);
    Replace(text, "{port}", std::to_string(main_->port()));
    return text;
  }
  std::u16string Fill16(const std::string& text) const { return Utf8ToUtf16(Fill(text)); }

  Expected Expect(const Behaviour& row) const {
    Expected expected{row.failure, Fill16(Utf16ToUtf8(row.reason)), row.check ? row.check : ""};
    if (UnderWine() && row.wineFailure) {
      expected.failure = *row.wineFailure;
      expected.reason =
          expected.failure == HttpFailure::None ? u"" : MakeHttpError(expected.failure).reason;
      if (row.wineCheck) expected.check = row.wineCheck;
    }
    return expected;
  }

  // The address the page came from: the row's, or the one asked without its fragment.
  std::string FinalUrl(const Behaviour& row) const {
    return Fill(row.finalUrl.empty() ? row.ask.substr(0, row.ask.find('#')) : row.finalUrl);
  }

  bool OtherUntouched(const Behaviour& row) const {
    return !row.otherUntouched || other_->requests().empty();
  }

 private:
  static void Replace(std::string& text, const std::string& place, const std::string& with) {
    for (std::size_t at = 0; (at = text.find(place, at)) != std::string::npos; at += with.size()) {
      text.replace(at, place.size(), with);
    }
  }
  std::map<std::string, TargetScript> Scripts(std::map<std::string, TargetScript> scripts) const {
    for (auto& [target, script] : scripts) {
      // The server names its own port itself.
      Replace(script.script.response, "{base}", "http://127.0.0.1:{port}");
      Replace(script.script.response, "{other}", otherBase_);
    }
    return scripts;
  }

  std::unique_ptr<LoopbackServer> other_, main_;
  std::string base_, otherBase_, closed_;
  std::vector<int> tls_;
};

}  // namespace cardo::testing
