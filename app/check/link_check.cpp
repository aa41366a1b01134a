#include "app/check/link_check.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "app/platform/text.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

constexpr char16_t kNoTransportReason[] = u"HTTP の通信を始められませんでした";
constexpr char16_t kOutOfMemoryReason[] = u"メモリが足りません";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

std::u16string_view Trimmed(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Servers that refuse HEAD say so with these, or close the connection without an answer.
bool WantsGet(const LinkAnswer& answer) {
  if (answer.failure == LinkFailure::Closed) return true;
  return answer.failure == LinkFailure::None &&
         (answer.status == 403 || answer.status == 405 || answer.status == 501);
}

LinkResult Failure(LinkResult result, LinkVerdict verdict, std::u16string reason) {
  result.verdict = verdict;
  result.reason = std::move(reason);
  return result;
}

// The host slot a request holds, given back however the request ends.
struct HopSlot {
  HopSlot(LinkHopGate* gate, const std::u16string& key) : gate(gate), key(key) {}
  HopSlot(const HopSlot&) = delete;
  HopSlot& operator=(const HopSlot&) = delete;
  ~HopSlot() {
    if (gate) gate->Leave(key);
  }
  LinkHopGate* gate;
  const std::u16string& key;
};

// A body past this is not read: the answer's head is what the check wants, and reading a short
// body to its end lets the connection serve the next request.
constexpr std::size_t kBodyBytes = 16 * 1024;

LinkFailure LinkFailureOf(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::None:
      return LinkFailure::None;
    case HttpFailure::Cancelled:
      return LinkFailure::Cancelled;
    case HttpFailure::NameNotResolved:
      return LinkFailure::Dns;
    case HttpFailure::Refused:
      return LinkFailure::Refused;
    case HttpFailure::TimedOut:
      return LinkFailure::TimedOut;
    case HttpFailure::Closed:
    case HttpFailure::HeadersCut:
      return LinkFailure::Closed;
    case HttpFailure::CertificateExpired:
    case HttpFailure::CertificateUntrusted:
    case HttpFailure::CertificateWrongName:
    case HttpFailure::CertificateRevoked:
    case HttpFailure::CertificateInvalid:
    case HttpFailure::TlsVersion:
    case HttpFailure::TlsFailed:
    case HttpFailure::ClientCertificate:
      return LinkFailure::Tls;
    default:
      return LinkFailure::Other;
  }
}

// A header's whole number, or -1 when it holds none.
long long Number(const std::string* digits) {
  if (!digits || digits->empty() || digits->size() > 18 ||
      digits->find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  return std::stoll(*digits);
}

// The head of one answer, and the first bytes of a body for a GET.
class AnswerSink final : public HttpSink {
 public:
  explicit AnswerSink(LinkAnswer& answer) : answer_(answer) {}
  bool Head(const Url&, const HttpHead& head) override {
    answered_ = true;
    answer_.status = head.status;
    answer_.contentLength = Number(head.Field("content-length"));
    if (const std::string* range = head.Field("content-range")) {
      const std::string total = range->substr(std::min(range->size(), range->rfind('/') + 1));
      if (range->rfind('/') != std::string::npos) answer_.rangeTotal = Number(&total);
    }
    if (const std::string* type = head.Field("content-type")) answer_.contentType = *type;
    if (const std::string* location = head.Field("location")) answer_.location = *location;
    return true;
  }
  // A server that ignores the range sends the whole file: its first bytes are enough.
  bool Body(std::string_view bytes) override {
    bodyBytes_ += bytes.size();
    return bodyBytes_ <= kBodyBytes;
  }
  bool Answered() const { return answered_; }

 private:
  LinkAnswer& answer_;
  bool answered_ = false;
  std::size_t bodyBytes_ = 0;
};

// One hop through the HTTP client, its redirect reported to the check.
class ClientTransport final : public LinkTransport {
 public:
  explicit ClientTransport(std::shared_ptr<HttpStack> stack) : client_(std::move(stack)) {}

  LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>& cancelled) override {
    LinkAnswer answer;
    HttpError error;
    if (const std::optional<Url> url = ParseHttpAddress(request.url, error)) {
      HttpRequest hop;
      hop.method = request.head ? "HEAD" : "GET";
      hop.url = *url;
      if (!request.head) hop.fields.push_back({"Range", "bytes=0-0"});
      hop.silence = request.silence;
      hop.redirects = RedirectPolicy::Report;
      AnswerSink sink(answer);
      error = client_.Fetch(hop, sink, cancelled, request.trail);
      // Whole headers and then a body cut short: the answer is what the check wanted.
      if (sink.Answered() &&
          (error.kind == HttpFailure::CutShort || error.kind == HttpFailure::BadCoding)) {
        error = {};
      }
    }
    if (!error) return answer;
    LinkAnswer failed;
    failed.failure = LinkFailureOf(error.kind);
    failed.reason = std::move(error.reason);
    return failed;
  }

 private:
  HttpClient client_;
};

// Hands out the lines in list order as the limits allow, and counts the requests each host
// has under way (LinkHopGate for the redirects a check follows to other hosts).
class Scheduler {
 public:
  Scheduler(int perHost, const std::atomic<bool>& cancelled)
      : perHost_(perHost), cancelled_(cancelled) {}

  struct Line {
    std::size_t index;
    std::u16string url;
    std::u16string key;  // its host's
  };

  void Add(std::size_t index, std::u16string url, const std::u16string& key) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      const std::size_t id = HostId(key);
      Remove(id);
      hosts_[id].waiting.push_back({index, std::move(url)});
      ++waitingLines_;
      Refresh(id);
    }
    changed_.notify_all();
  }
  // No line comes after those added: Next ends once they are taken.
  void End() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      ended_ = true;
    }
    changed_.notify_all();
  }

  // The next line to check with its host's slot taken; nothing once the check is over.
  std::optional<Line> Next() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
      if (cancelled_) return std::nullopt;
      if (!ready_.empty()) break;
      if (waitingLines_ == 0 && ended_) return std::nullopt;
      changed_.wait_for(hold, kCancelPoll);
    }
    const std::size_t id = ready_.begin()->second;
    Host& host = hosts_[id];
    Waiting line = std::move(host.waiting.front());
    Remove(id);
    host.waiting.pop_front();
    --waitingLines_;
    ++host.active;
    Refresh(id);
    return Line{line.index, std::move(line.url), host.key};
  }

  bool Acquire(const std::u16string& key) {
    std::unique_lock<std::mutex> hold(lock_);
    const std::size_t id = HostId(key);
    while (hosts_[id].active >= perHost_) {
      if (cancelled_) return false;
      changed_.wait_for(hold, kCancelPoll);
    }
    Remove(id);
    ++hosts_[id].active;
    Refresh(id);
    return !cancelled_;
  }

  void Release(const std::u16string& key) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      const std::size_t id = HostId(key);
      --hosts_[id].active;
      Refresh(id);
    }
    changed_.notify_all();
  }

 private:
  // Waits end on a change or, for a cancel the scheduler is not told of, within this.
  static constexpr std::chrono::milliseconds kCancelPoll{50};

  struct Waiting {
    std::size_t index;
    std::u16string url;
  };
  struct Host {
    std::u16string key;
    int active = 0;
    std::deque<Waiting> waiting;  // in list order
  };

  std::size_t HostId(const std::u16string& key) {
    const auto [at, added] = ids_.try_emplace(key, hosts_.size());
    if (added) hosts_.push_back({key, 0, {}});
    return at->second;
  }
  void Remove(std::size_t id) {
    const Host& host = hosts_[id];
    if (!host.waiting.empty()) ready_.erase({host.waiting.front().index, id});
  }
  // Whether `id` may start its next waiting line; its entry in ready_ made so.
  void Refresh(std::size_t id) {
    const Host& host = hosts_[id];
    if (host.waiting.empty()) return;
    if (host.active < perHost_) {
      ready_.insert({host.waiting.front().index, id});
    } else {
      ready_.erase({host.waiting.front().index, id});
    }
  }

  const int perHost_;
  const std::atomic<bool>& cancelled_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Host> hosts_;
  std::map<std::u16string, std::size_t> ids_;
  // Hosts with a free slot and a line waiting, by that line's index: the first is the next.
  std::set<std::pair<std::size_t, std::size_t>> ready_;
  std::size_t waitingLines_ = 0;
  bool ended_ = false;
};

// How far the lines are read ahead of the first one not yet reported: a window that keeps a
// list of any length, and the results waiting for their turn, in bounded memory.
class ReadAhead {
 public:
  explicit ReadAhead(std::size_t lines) : lines_(lines) {}
  // Waits until the line `index` may be read; false when the check was cancelled first.
  bool Enter(std::size_t index, const std::atomic<bool>& cancelled) {
    if (lines_ == kUnbounded) return !cancelled;
    std::unique_lock<std::mutex> hold(lock_);
    while (!open_.empty() && index - *open_.begin() >= lines_) {
      if (cancelled) return false;
      changed_.wait_for(hold, std::chrono::milliseconds(50));
    }
    open_.insert(index);
    return !cancelled;
  }
  void Reported(std::size_t index) {
    if (lines_ == kUnbounded) return;
    {
      std::lock_guard<std::mutex> hold(lock_);
      open_.erase(index);
    }
    changed_.notify_all();
  }

 private:
  static constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);
  const std::size_t lines_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::set<std::size_t> open_;  // read and not yet reported
};

// One worker's requests through the scheduler; the slot Next took serves the first request.
class WorkerGate final : public LinkHopGate {
 public:
  WorkerGate(Scheduler& scheduler, std::u16string held)
      : scheduler_(scheduler), held_(std::move(held)) {}
  ~WorkerGate() override {
    if (held_) scheduler_.Release(*held_);
  }
  WorkerGate(const WorkerGate&) = delete;
  WorkerGate& operator=(const WorkerGate&) = delete;

  bool Enter(const std::u16string& hostKey) override {
    if (held_ && *held_ == hostKey) {
      held_.reset();
      return true;
    }
    if (held_) {
      scheduler_.Release(*held_);
      held_.reset();
    }
    return scheduler_.Acquire(hostKey);
  }
  void Leave(const std::u16string& hostKey) override { scheduler_.Release(hostKey); }

 private:
  Scheduler& scheduler_;
  std::optional<std::u16string> held_;
};

// One hop asked, holding the gate's slot for its host: a HEAD, then a GET when the server
// would not answer the HEAD.
LinkAnswer AskHop(LinkTransport& transport, LinkRequest question,
                  const std::atomic<bool>& cancelled, LinkHopGate* gate,
                  const std::u16string& key) {
  const HopSlot slot{gate, key};
  LinkAnswer answer = transport.Ask(question, cancelled);
  if (WantsGet(answer) && !cancelled) {
    question.head = false;
    answer = transport.Ask(question, cancelled);
  }
  return answer;
}

// A redirect from `from` to `location` that the chain would not follow, as its failure.
LinkResult RedirectRefused(LinkResult result, const RedirectChain& chain, RedirectChain::Step step,
                           std::string_view location, const std::u16string& from) {
  switch (step) {
    case RedirectChain::Step::Loop:
      result.loop = true;
      return Failure(result, LinkVerdict::Error,
                     RedirectLoopReason(chain.Target(location)->Href()));
    case RedirectChain::Step::TooMany:
      result.tooManyHops = true;
      return Failure(result, LinkVerdict::Error, TooManyRedirectsReason(from));
    default:
      return Failure(result, LinkVerdict::Error, chain.Refusal(location));
  }
}

// The verdict of a final answer (no redirect to follow).
LinkResult Judged(LinkResult result, const LinkAnswer& answer) {
  if (answer.status >= 200 && answer.status < 300) {
    result.verdict = LinkVerdict::Alive;
    // A 206 tells the whole size only in its range; a 200 to the range request sent it all.
    result.size = answer.status == 206 ? answer.rangeTotal : answer.contentLength;
    result.contentType = answer.contentType;
    return result;
  }
  // 1xx, 304, a redirect without a Location: no answer about the link.
  result.verdict =
      answer.status >= 400 && answer.status < 600 ? LinkVerdict::Dead : LinkVerdict::Error;
  return result;
}

}  // namespace

std::u16string StatusText(const LinkResult& result) {
  if (result.loop) return u"LOOP";
  if (result.tooManyHops) return u"REDIRECTS";
  switch (result.failure) {
    case LinkFailure::Dns:
      return u"DNS";
    case LinkFailure::Refused:
      return u"REFUSED";
    case LinkFailure::Tls:
      return u"TLS";
    case LinkFailure::TimedOut:
      return u"TIMEOUT";
    case LinkFailure::Closed:
      return u"CLOSED";
    case LinkFailure::Other:
      return u"ERROR";
    case LinkFailure::None:
    case LinkFailure::Cancelled:
      break;
  }
  if (result.verdict == LinkVerdict::NotChecked) return u"NOT-CHECKED";
  if (result.status == 0) return u"ERROR";
  return Utf8ToUtf16(std::to_string(result.status));
}

LinkTransportFactory HttpLinkTransports(std::shared_ptr<HttpStack> stack) {
  return [stack]() -> std::unique_ptr<LinkTransport> {
    return std::make_unique<ClientTransport>(stack);
  };
}

std::u16string LinkHostKey(const Url& url) {
  if (!IsHttpUrl(url)) return {};
  return url.Scheme() + u"://" + url.Host() + u":" + DecimalText(url.EffectivePort());
}

LinkResult CheckOneLink(std::u16string_view url, LinkTransport& transport,
                        std::chrono::milliseconds silence, const std::atomic<bool>& cancelled,
                        LinkHopGate* gate) {
  LinkResult result;
  const std::u16string_view line = Trimmed(url);
  result.finalUrl = line;
  UrlError error = UrlError::NotAUrl;
  std::optional<Url> start = ParseUrl(line, nullptr, UrlForm::Wire, &error);
  if (!start) {
    if (error != UrlError::HostNotIdna) return result;  // no URL: NotChecked
    return Failure(result, LinkVerdict::Error, kBadHostReason + std::u16string(line));
  }
  if (!IsHttpUrl(*start)) return result;  // another scheme: NotChecked
  HttpTrail trail(*start);
  RedirectChain chain(std::move(*start));
  for (;;) {
    const Url& current = chain.Current();
    if (chain.Redirected()) result.finalUrl = current.Href();
    const std::u16string key = LinkHostKey(current);
    // Redirected to another scheme (ftp://, mailto:): not ours to follow.
    if (key.empty()) return Failure(result, LinkVerdict::NotChecked, {});
    if (gate && !gate->Enter(key)) return Failure(result, LinkVerdict::NotChecked, {});
    const LinkAnswer answer =
        AskHop(transport, {current.Href(false), true, silence, &trail}, cancelled, gate, key);
    result.failure = answer.failure;
    result.status = answer.status;
    if (answer.failure == LinkFailure::Cancelled || cancelled) {
      result.failure = LinkFailure::None;
      return Failure(result, LinkVerdict::NotChecked, {});
    }
    if (answer.failure != LinkFailure::None) {
      const bool dead =
          answer.failure == LinkFailure::Dns || answer.failure == LinkFailure::Refused;
      return Failure(result, dead ? LinkVerdict::Dead : LinkVerdict::Error, answer.reason);
    }
    if (IsRedirect(answer.status) && !answer.location.empty()) {
      const std::u16string from = current.Href();
      const RedirectChain::Step step = chain.Redirect(answer.location);
      if (step == RedirectChain::Step::Follow) continue;
      return RedirectRefused(result, chain, step, answer.location, from);
    }
    return Judged(result, answer);
  }
}

// The lines a run was given, checked by its workers.
struct LinkCheckRun::State {
  State(const LinkCheckLimits& limits, LinkTransportFactory makeTransport,
        const std::atomic<bool>& cancelled, LinkCheckedSink checked, std::size_t lookahead)
      : limits(limits),
        makeTransport(std::move(makeTransport)),
        cancelled(cancelled),
        checked(std::move(checked)),
        scheduler(std::max(1, limits.perHost), cancelled),
        readAhead(lookahead) {}

  // A sink that fails (memory above all) loses that line's result, not the run: the failure
  // is kept for Finish to give, and the line still counts as reported so Add never waits on it.
  void Report(std::size_t index, const LinkResult& result) {
    try {
      std::lock_guard<std::mutex> hold(reportLock);
      if (checked) checked(index, result);
    } catch (...) {
      std::lock_guard<std::mutex> hold(reportLock);
      if (!failure) failure = std::current_exception();
    }
    readAhead.Reported(index);
  }

  void Join() noexcept {
    if (finished) return;
    finished = true;
    scheduler.End();
    for (std::thread& worker : workers) worker.join();
  }

  void Work() noexcept {
    std::unique_ptr<LinkTransport> transport;
    try {
      transport = makeTransport();
    } catch (const std::exception&) {
      // Each line this worker takes says so.
    }
    while (auto line = scheduler.Next()) {
      LinkResult result;
      try {
        WorkerGate gate(scheduler, line->key);
        if (transport) {
          result = CheckOneLink(line->url, *transport, limits.silence, cancelled, &gate);
        } else {
          result.verdict = LinkVerdict::Error;
          result.reason = kNoTransportReason;
        }
      } catch (const std::bad_alloc&) {
        result.verdict = LinkVerdict::Error;
        result.reason = kOutOfMemoryReason;
      }
      Report(line->index, result);
    }
  }

  const LinkCheckLimits limits;
  const LinkTransportFactory makeTransport;
  const std::atomic<bool>& cancelled;
  const LinkCheckedSink checked;
  std::mutex reportLock;
  Scheduler scheduler;
  ReadAhead readAhead;
  std::vector<std::thread> workers;
  std::size_t added = 0, networked = 0;
  bool finished = false;
  std::exception_ptr failure;  // the first a sink threw
};

LinkCheckRun::LinkCheckRun(const LinkCheckLimits& limits, LinkTransportFactory makeTransport,
                           const std::atomic<bool>& cancelled, LinkCheckedSink checked,
                           std::size_t lookahead)
    : state_(std::make_unique<State>(limits, std::move(makeTransport), cancelled,
                                     std::move(checked), lookahead)) {}

LinkCheckRun::~LinkCheckRun() {
  state_->Join();
}

bool LinkCheckRun::Add(std::u16string url) {
  State& s = *state_;
  const std::size_t index = s.added++;
  if (!s.readAhead.Enter(index, s.cancelled)) return false;
  const auto parsed = ParseUrl(Trimmed(url));
  if (!parsed || !IsHttpUrl(*parsed)) {
    // No request goes out for such a line: its verdict is known at once.
    struct NoTransport final : LinkTransport {
      LinkAnswer Ask(const LinkRequest&, const std::atomic<bool>&) override { return {}; }
    } none;
    s.Report(index, CheckOneLink(url, none, s.limits.silence, s.cancelled));
    return true;
  }
  s.scheduler.Add(index, std::move(url), LinkHostKey(*parsed));
  // A worker for each line under way, up to the limit.
  if (++s.networked > s.workers.size() &&
      s.workers.size() < static_cast<std::size_t>(std::max(1, s.limits.total))) {
    try {
      s.workers.emplace_back(&State::Work, &s);
    } catch (const std::system_error&) {
      if (s.workers.empty()) throw;  // fewer workers than asked for still check every line
    }
  }
  return true;
}

void LinkCheckRun::Finish() {
  state_->Join();
  if (state_->failure) std::rethrow_exception(std::exchange(state_->failure, nullptr));
}

std::vector<LinkResult> CheckLinks(const std::vector<std::u16string>& urls,
                                   const LinkCheckLimits& limits,
                                   const LinkTransportFactory& makeTransport,
                                   const std::atomic<bool>& cancelled,
                                   const LinkCheckedSink& checked) {
  std::vector<LinkResult> results(urls.size());
  for (std::size_t i = 0; i < urls.size(); ++i) results[i].finalUrl = Trimmed(urls[i]);
  LinkCheckRun run(limits, makeTransport, cancelled,
                   [&](std::size_t index, const LinkResult& result) {
                     results[index] = result;
                     if (checked) checked(index, results[index]);
                   });
  for (const std::u16string& url : urls) {
    if (!run.Add(url)) break;
  }
  run.Finish();
  return results;
}

}  // namespace cardo
