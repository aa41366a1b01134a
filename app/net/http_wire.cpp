#include "app/net/http_wire.h"

#include <algorithm>
#include <cstdlib>

namespace cardo {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool HasChunked(const std::string* coding) {
  if (!coding) return false;
  std::string lower(*coding);
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return lower.find("chunked") != std::string::npos;
}

// A whole number of `digits` in `base`; false when there is none or it passes 2^60.
bool Number(std::string_view digits, int base, unsigned long long& value) {
  value = 0;
  if (digits.empty()) return false;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || digit >= base || value > (1ULL << 60) / static_cast<unsigned>(base)) {
      return false;
    }
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  return true;
}

}  // namespace

WireReader::WireReader(StackSink& sink, bool noBody, std::size_t headLimit)
    : sink_(sink), noBody_(noBody), headLimit_(headLimit) {}

bool WireReader::Fail(HttpFailure failure) {
  error_ = MakeHttpError(failure);
  state_ = State::Done;
  return false;
}

bool WireReader::Pass(std::string_view bytes) {
  if (sink_.Body(bytes)) return true;
  stopped_ = true;
  state_ = State::Done;
  return false;
}

bool WireReader::Feed(std::string_view bytes) {
  anyByte_ = anyByte_ || !bytes.empty();
  while (!bytes.empty() && state_ != State::Done) {
    if (state_ == State::UntilClose) return Pass(bytes);
    if (state_ == State::Length || state_ == State::ChunkData) {
      const std::size_t take =
          static_cast<std::size_t>(std::min<unsigned long long>(left_, bytes.size()));
      if (!Pass(bytes.substr(0, take))) return false;
      bytes.remove_prefix(take);
      left_ -= take;
      if (left_ == 0) state_ = state_ == State::Length ? State::Done : State::ChunkEnd;
      continue;
    }
    const std::size_t end = bytes.find('\n');
    line_.append(bytes.substr(0, end));
    if (line_.size() > headLimit_) {
      return Fail(state_ == State::Head ? HttpFailure::HeadersTooLong : HttpFailure::BadResponse);
    }
    if (end == std::string_view::npos) return true;
    bytes.remove_prefix(end + 1);
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    const std::string line = std::move(line_);
    line_.clear();
    if (!Line(line)) return false;
  }
  return state_ != State::Done;
}

bool WireReader::Line(std::string_view line) {
  switch (state_) {
    case State::Head:
      return HeadLine(line);
    case State::ChunkSize: {
      unsigned long long size = 0;
      if (!Number(Trim(line.substr(0, line.find(';'))), 16, size)) {
        return Fail(HttpFailure::BadResponse);
      }
      left_ = size;
      state_ = size == 0 ? State::Trailer : State::ChunkData;
      return true;
    }
    case State::ChunkEnd:
      if (!line.empty()) return Fail(HttpFailure::BadResponse);
      state_ = State::ChunkSize;
      return true;
    case State::Trailer:
      // Trailer fields say nothing the body needs; an empty line ends them.
      if (line.empty()) state_ = State::Done;
      return state_ != State::Done;
    default:
      return false;
  }
}

bool WireReader::HeadLine(std::string_view line) {
  headBytes_ += line.size() + 2;
  if (headBytes_ > headLimit_) return Fail(HttpFailure::HeadersTooLong);
  if (head_.statusLine.empty()) {
    const std::size_t space = line.find(' ');
    unsigned long long status = 0;
    if (line.substr(0, 5) != "HTTP/" || space == std::string_view::npos ||
        !Number(line.substr(space + 1, 3), 10, status) || status < 100 || status > 999) {
      return Fail(HttpFailure::BadResponse);
    }
    head_.statusLine = std::string(line);
    head_.status = static_cast<int>(status);
    return true;
  }
  if (!line.empty()) {
    if ((line.front() == ' ' || line.front() == '\t') && !head_.fields.empty()) {
      head_.fields.back().value += ' ';
      head_.fields.back().value += Trim(line);
    } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
      head_.fields.push_back(
          {std::string(line.substr(0, colon)), std::string(Trim(line.substr(colon + 1)))});
    }
    return true;
  }
  if (head_.status < 200 && head_.status != 101) {
    head_ = {};  // an interim answer: the final one follows
    return true;
  }
  const int status = head_.status;
  const bool chunked = HasChunked(head_.Field("transfer-encoding"));
  unsigned long long length = 0;
  const std::string* lengthField = head_.Field("content-length");
  const bool lengthKnown = lengthField && Number(Trim(*lengthField), 10, length);
  if (!sink_.Head(std::move(head_))) {
    stopped_ = true;
    state_ = State::Done;
    return false;
  }
  if (noBody_ || status == 204 || status == 304) {
    state_ = State::Done;
  } else if (chunked) {
    state_ = State::ChunkSize;
  } else if (lengthKnown) {
    left_ = length;
    state_ = length == 0 ? State::Done : State::Length;
  } else {
    state_ = State::UntilClose;
  }
  return state_ != State::Done;
}

StackOutcome WireReader::Finish() const {
  if (error_ || stopped_) return {error_};
  switch (state_) {
    case State::Head:
      return {MakeHttpError(anyByte_ ? HttpFailure::HeadersCut : HttpFailure::Closed)};
    case State::Length:
    case State::ChunkSize:
    case State::ChunkData:
    case State::ChunkEnd:
      return {{}, true};
    default:
      return {};
  }
}

}  // namespace cardo
