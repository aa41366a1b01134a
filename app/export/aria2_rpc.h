#pragma once
// The list handed to a running aria2 over its JSON-RPC interface (aria2c --enable-rpc): one
// aria2.addUri per URL, gathered into system.multicall requests, with the file, folder and
// Referer the aria2 input file would give each URL. No file is written.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/export/export.h"
#include "app/list/shell_context.h"
#include "app/net/http_post.h"

namespace cardo {

inline constexpr char16_t kDefaultRpcAddress[] = u"http://localhost:6800/jsonrpc";
// aria2 refuses a request past its --rpc-max-request-size (2 MiB unless set): the calls go in
// requests of at most this many bytes, so a list of 32767 URLs is a few requests, not one of
// 10 MB.
inline constexpr std::size_t kRpcRequestBytes = 1024 * 1024;

// One system.multicall request, the number of aria2.addUri calls it holds and their URLs.
struct RpcRequest {
  std::string body;
  std::size_t calls = 0;
  std::vector<std::string> urls;
};
struct RpcRequests {
  std::vector<RpcRequest> requests;
  std::size_t skipped = 0;  // lines aria2 must not fetch (gopher, file ...), never sent
};
// The requests for `lines`, planned as the aria2 input file plans them (PlanDownloads): each
// call's params are "token:" and `secret`, the URL alone in a list, and "dir" (when
// `options.folder` is set), "out" and "referer" (when the rule gives one). A request takes
// calls up to `maxBytes`; a call longer than that goes alone. Linear in the lines' length.
RpcRequests Aria2RpcRequests(const std::vector<std::u16string>& lines, const ExportOptions& options,
                             std::string_view secret, std::size_t maxBytes = kRpcRequestBytes);

// What aria2 answered one request.
struct RpcCallResult {
  std::string gid;      // the download aria2 made; empty when refused
  std::string refusal;  // aria2's message when refused ("Unauthorized" ...)
};
struct RpcReply {
  enum class Kind {
    Results,     // `calls` holds one result per call, in order
    Error,       // aria2 refused the whole request: `error` holds its message
    Unreadable,  // not a reply to the request (garbage, cut short, another count)
  };
  Kind kind = Kind::Unreadable;
  std::vector<RpcCallResult> calls;
  std::string error;
};
// Reads aria2's answer to a system.multicall of `calls` calls. Nesting deeper than a reply has
// is unreadable; linear in the body's length.
RpcReply ReadAria2Reply(std::string_view body, std::size_t calls);

// A URL aria2 refused, with its message.
struct RpcRefusal {
  std::string url;
  std::string message;
};
// How many refused URLs a hand-over names; the rest are counted.
inline constexpr std::size_t kNamedRefusals = 5;

// How a hand-over went.
struct Aria2Handover {
  std::size_t accepted = 0;
  std::size_t refused = 0;           // calls aria2 answered with an error
  std::size_t skipped = 0;           // lines aria2 must not fetch
  std::size_t unsent = 0;            // URLs of the request that stopped the hand-over and after it
  std::string refusal;               // aria2's message for the first refused call
  std::vector<RpcRefusal> refusals;  // the first kNamedRefusals refused calls
  // Why the hand-over stopped; None when every request was answered. NotConnected: no
  // connection (nothing listens, no such host, TLS); Redirected: the address answered with a
  // redirect, which is not followed; Closed: the connection ended without an answer (aria2
  // does so with a request past its --rpc-max-request-size); NoAnswer: an answer that did not
  // come whole (a time-out, cut short, past 64 MiB), so what aria2 took is not known;
  // BadAnswer: an HTTP answer that is no aria2 reply; Refused: aria2 refused the request.
  enum class Stop {
    None,
    NotConnected,
    Redirected,
    Closed,
    NoAnswer,
    BadAnswer,
    Refused
  } stopped = Stop::None;
  std::u16string reason;  // the system's reason, the HTTP status or aria2's message

  bool Succeeded() const { return stopped == Stop::None && refused == 0 && accepted > 0; }
};
// Sends the requests one after another through `post`; a request without an answer, with an
// unreadable one or refused whole ends the hand-over, its URLs and the rest counted as unsent
// (after an unreadable answer aria2 may still have taken some: the message says it was not
// read).
Aria2Handover SendToAria2(const std::vector<std::u16string>& lines, const ExportOptions& options,
                          std::string_view secret, const JsonPost& post,
                          std::size_t maxBytes = kRpcRequestBytes);
// What the user reads after a hand-over to `address`: the counts, and what stopped it.
std::u16string HandoverMessage(const Aria2Handover& handover, const std::u16string& address);

// What the File > Export > aria2 に送る command checks first: false after "リストがありません。"
// for an empty list or the message refusing the folder as the file exports refuse it.
bool ReadyForAria2(ShellContext& shell, const ExportOptions& options);
// The hand-over's outcome in a message box: "情報" when every URL was accepted, else "エラー".
void ShowHandover(Ui& ui, const Aria2Handover& handover, const std::u16string& address);

}  // namespace cardo
