#include "app/export/aria2_rpc.h"

#include "app/export/download_plan.h"
#include "app/export/messages.h"
#include "app/text/json.h"
#include "app/platform/text.h"
#include "app/platform/ui_messages.h"

namespace cardo {
namespace {

constexpr std::string_view kRequestStart =
    R"({"jsonrpc":"2.0","id":"cardo","method":"system.multicall","params":[[)";
constexpr std::string_view kRequestEnd = "]]}";

std::string AddUriCall(const PlannedDownload& planned, const std::string& token,
                       const std::string& folder) {
  std::string call =
      R"({"methodName":"aria2.addUri","params":[)" + token + ",[" + JsonQuoted(planned.url) + "],{";
  if (!folder.empty()) call += R"("dir":)" + folder + ",";
  call += R"("out":)" + JsonQuoted(planned.name);
  if (!planned.referer.empty()) call += R"(,"referer":)" + JsonQuoted(planned.referer);
  return call + "}]}";
}

// One call's result in a multicall's answer: the method's result in a list of one, or the
// error object.
std::optional<RpcCallResult> CallResult(const JsonValue& result) {
  using Kind = JsonValue::Kind;
  if (result.kind == Kind::Array && result.items.size() == 1 &&
      result.items[0].kind == Kind::String && !result.items[0].text.empty()) {
    return RpcCallResult{result.items[0].text, {}};
  }
  if (result.kind == Kind::Object) {
    const JsonValue* message = result.Member("message");
    if (message && message->kind == Kind::String) return RpcCallResult{{}, message->text};
  }
  return std::nullopt;
}

std::u16string Counted(std::size_t count, const char16_t* text) {
  return Utf8ToUtf16(std::to_string(count)) + text;
}

// Why a post without an answer stopped the hand-over, by the client's failure.
Aria2Handover::Stop StopOf(HttpFailure failure) {
  using Stop = Aria2Handover::Stop;
  switch (failure) {
    case HttpFailure::RedirectRefused:
    case HttpFailure::UnreadableLocation:
      return Stop::Redirected;
    case HttpFailure::Closed:
      return Stop::Closed;
    case HttpFailure::TimedOut:
    case HttpFailure::HeadersCut:
    case HttpFailure::HeadersTooLong:
    case HttpFailure::CutShort:
    case HttpFailure::TooLarge:
    case HttpFailure::BadCoding:
    case HttpFailure::UnknownCoding:
    case HttpFailure::BadResponse:
      return Stop::NoAnswer;
    default:
      return Stop::NotConnected;
  }
}

// What a hand-over that stopped before aria2 answered says first; the address and the
// reason follow.
const char16_t* StopText(Aria2Handover::Stop stop) {
  using Stop = Aria2Handover::Stop;
  switch (stop) {
    case Stop::Redirected:
      return msg::kAria2Redirected;
    case Stop::Closed:
      return msg::kAria2Closed;
    case Stop::NoAnswer:
      return msg::kAria2NoAnswer;
    case Stop::BadAnswer:
      return msg::kAria2BadAnswer;
    default:
      return msg::kAria2NotConnected;
  }
}

}  // namespace

RpcRequests Aria2RpcRequests(const std::vector<std::u16string>& lines, const ExportOptions& options,
                             std::string_view secret, std::size_t maxBytes) {
  const std::string token = JsonQuoted("token:" + std::string(secret));
  const std::string folder = options.folder.empty() ? "" : JsonQuoted(Utf16ToUtf8(options.folder));
  RpcRequests out;
  RpcRequest current;
  const auto finish = [&] {
    if (current.calls == 0) return;
    current.body += kRequestEnd;
    out.requests.push_back(std::move(current));
    current = {};
  };
  for (const PlannedDownload& planned : PlanDownloads(ExportFormat::Aria2, lines, options)) {
    if (!planned.fetched) {
      ++out.skipped;
      continue;
    }
    const std::string call = AddUriCall(planned, token, folder);
    if (current.calls > 0 &&
        current.body.size() + 1 + call.size() + kRequestEnd.size() > maxBytes) {
      finish();
    }
    current.body += current.calls == 0 ? std::string(kRequestStart) : std::string(",");
    current.body += call;
    ++current.calls;
    current.urls.push_back(planned.url);
  }
  finish();
  return out;
}

RpcReply ReadAria2Reply(std::string_view body, std::size_t calls) {
  RpcReply reply;
  const std::optional<JsonValue> value = ParseJson(body);
  if (!value || value->kind != JsonValue::Kind::Object) return reply;
  if (const JsonValue* error = value->Member("error")) {
    const JsonValue* message = error->Member("message");
    if (!message || message->kind != JsonValue::Kind::String) return reply;
    reply.kind = RpcReply::Kind::Error;
    reply.error = message->text;
    return reply;
  }
  const JsonValue* results = value->Member("result");
  if (!results || results->kind != JsonValue::Kind::Array || results->items.size() != calls) {
    return reply;
  }
  for (const JsonValue& result : results->items) {
    std::optional<RpcCallResult> call = CallResult(result);
    if (!call) {
      reply.calls.clear();
      return reply;
    }
    reply.calls.push_back(std::move(*call));
  }
  reply.kind = RpcReply::Kind::Results;
  return reply;
}

Aria2Handover SendToAria2(const std::vector<std::u16string>& lines, const ExportOptions& options,
                          std::string_view secret, const JsonPost& post, std::size_t maxBytes) {
  RpcRequests requests = Aria2RpcRequests(lines, options, secret, maxBytes);
  Aria2Handover handover;
  handover.skipped = requests.skipped;
  for (const RpcRequest& request : requests.requests) {
    if (handover.stopped != Aria2Handover::Stop::None) {
      handover.unsent += request.calls;
      continue;
    }
    const PostResponse response = post(request.body);
    const RpcReply reply =
        response.answered ? ReadAria2Reply(response.body, request.calls) : RpcReply{};
    if (!response.answered) {
      handover.stopped = StopOf(response.kind);
      handover.reason = response.failure;
    } else if (reply.kind == RpcReply::Kind::Error) {
      handover.stopped = Aria2Handover::Stop::Refused;
      handover.reason = Utf8ToUtf16(reply.error);
    } else if (reply.kind == RpcReply::Kind::Unreadable) {
      handover.stopped = Aria2Handover::Stop::BadAnswer;
      handover.reason = u"HTTP " + Utf8ToUtf16(std::to_string(response.status));
    }
    if (handover.stopped != Aria2Handover::Stop::None) {
      handover.unsent += request.calls;
      continue;
    }
    for (std::size_t i = 0; i < reply.calls.size(); ++i) {
      const RpcCallResult& call = reply.calls[i];
      if (!call.gid.empty()) {
        ++handover.accepted;
        continue;
      }
      if (handover.refused++ == 0) handover.refusal = call.refusal;
      if (handover.refusals.size() < kNamedRefusals) {
        handover.refusals.push_back({request.urls[i], call.refusal});
      }
    }
  }
  return handover;
}

std::u16string HandoverMessage(const Aria2Handover& handover, const std::u16string& address) {
  using Stop = Aria2Handover::Stop;
  std::u16string text;
  if (handover.stopped == Stop::Refused) {
    text = msg::kAria2Error + handover.reason;
  } else if (handover.stopped != Stop::None) {
    text = StopText(handover.stopped) + (u"\r\n" + address) + u"\r\n" + handover.reason;
  }
  const auto line = [&text](const std::u16string& more) {
    text += (text.empty() ? u"" : u"\r\n") + more;
  };
  if (handover.accepted > 0 || handover.stopped == Aria2Handover::Stop::None) {
    line(Counted(handover.accepted, msg::kAria2Accepted));
  }
  if (handover.refused > 0) {
    line(Counted(handover.refused, msg::kAria2Refused) + Utf8ToUtf16(handover.refusal));
    for (const RpcRefusal& refusal : handover.refusals) {
      std::string named = "  " + refusal.url;
      if (refusal.message != handover.refusal) named += " (" + refusal.message + ")";
      line(Utf8ToUtf16(named));
    }
    if (handover.refused > handover.refusals.size()) {
      line(u"  " +
           (msg::kAria2MoreRefused + Counted(handover.refused - handover.refusals.size(), u" 件")));
    }
  }
  if (handover.unsent > 0) line(Counted(handover.unsent, msg::kAria2Unsent));
  if (handover.skipped > 0) line(Counted(handover.skipped, msg::kAria2Skipped));
  return text;
}

bool ReadyForAria2(ShellContext& shell, const ExportOptions& options) {
  if (shell.list.Whole().Count() == 0) {
    ShowError(shell.ui, msg::kNoList);
    return false;
  }
  if (!IsWritableFolder(options.folder)) {
    ShowError(shell.ui, msg::kBadExportFolder + (u"\r\n" + options.folder));
    return false;
  }
  return true;
}

void ShowHandover(Ui& ui, const Aria2Handover& handover, const std::u16string& address) {
  const bool ok = handover.Succeeded();
  ui.ShowMessage(HandoverMessage(handover, address), ok ? msg::kInfoTitle : msg::kErrorTitle,
                 ok ? MessageIcon::Information : MessageIcon::Warning, MessageButtons::Ok);
}

}  // namespace cardo
