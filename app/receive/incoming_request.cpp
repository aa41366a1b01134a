#include "app/receive/incoming_request.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "app/platform/lower_case.h"

namespace cardo {
namespace {

bool IsTokenChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t from = text.find_first_not_of(" \t");
  if (from == std::string_view::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") + 1 - from);
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return lower;
}

// Where the head ends (after its empty line) in `bytes`, or npos. Lines may end with LF alone.
std::size_t HeadEnd(std::string_view bytes) {
  for (std::size_t lf = bytes.find('\n'); lf != std::string_view::npos;
       lf = bytes.find('\n', lf + 1)) {
    if (lf + 1 < bytes.size() && bytes[lf + 1] == '\n') return lf + 2;
    if (lf + 2 < bytes.size() && bytes[lf + 1] == '\r' && bytes[lf + 2] == '\n') return lf + 3;
  }
  return std::string_view::npos;
}

// The head's lines without their CR LF or LF, the empty ones at its end left out.
std::vector<std::string_view> HeadLines(std::string_view head) {
  std::vector<std::string_view> lines;
  for (std::size_t from = 0; from < head.size();) {
    std::size_t lf = head.find('\n', from);
    std::string_view line = head.substr(from, lf - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    from = lf + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// "METHOD target HTTP/1.x" into `request`: false when the line is not one.
bool ReadRequestLine(std::string_view first, IncomingRequest& request) {
  const std::size_t space1 = first.find(' ');
  const std::size_t space2 = first.find(' ', space1 + 1);
  if (space1 == std::string_view::npos || space2 == std::string_view::npos ||
      first.find(' ', space2 + 1) != std::string_view::npos) {
    return false;
  }
  request.method = first.substr(0, space1);
  request.target = first.substr(space1 + 1, space2 - space1 - 1);
  const std::string_view version = first.substr(space2 + 1);
  return !request.method.empty() &&
         std::all_of(request.method.begin(), request.method.end(), IsTokenChar) &&
         !request.target.empty() && (version == "HTTP/1.1" || version == "HTTP/1.0");
}

// The header fields into `request`, names in lower case: false at a line that is not one.
bool ReadHeaderFields(std::span<const std::string_view> lines, IncomingRequest& request) {
  for (const std::string_view line : lines) {
    const std::size_t colon = line.find(':');
    // A folded line (starting with a blank) or a name with blanks is what smuggling is made of.
    if (colon == 0 || colon == std::string_view::npos ||
        !std::all_of(line.begin(), line.begin() + colon, IsTokenChar)) {
      return false;
    }
    request.headers.emplace_back(Lowered(line.substr(0, colon)),
                                 std::string(Trimmed(line.substr(colon + 1))));
  }
  return true;
}

}  // namespace

const std::string* IncomingRequest::Header(std::string_view lowerName) const {
  for (const auto& [name, value] : headers) {
    if (name == lowerName) return &value;
  }
  return nullptr;
}

RequestReader::State RequestReader::Refuse(RequestRefusal why) {
  refusal_ = why;
  buffer_.clear();
  return state_ = State::Refused;
}

RequestReader::State RequestReader::Feed(std::string_view bytes) {
  if (state_ != State::NeedMore) return state_;
  if (inBody_) {
    request_.body.append(bytes.substr(0, bodyLength_ - request_.body.size()));
    return request_.body.size() == bodyLength_ ? state_ = State::Done : state_;
  }
  // The head is searched from three bytes before the new ones, so each byte is looked at a
  // bounded number of times; the buffer never holds more than kRequestHeadLimit + 1 bytes.
  const std::size_t searchFrom = buffer_.size() < 3 ? 0 : buffer_.size() - 3;
  const std::size_t held = buffer_.size();
  buffer_.append(bytes.substr(0, kRequestHeadLimit + 1 - held));
  const std::size_t end = HeadEnd(std::string_view(buffer_).substr(searchFrom));
  if (end == std::string_view::npos) {
    return buffer_.size() > kRequestHeadLimit ? Refuse(RequestRefusal::HeadTooLarge) : state_;
  }
  const std::size_t headSize = searchFrom + end;
  if (headSize > kRequestHeadLimit) return Refuse(RequestRefusal::HeadTooLarge);
  const std::string head = std::move(buffer_);
  buffer_.clear();
  if (ReadHead(std::string_view(head).substr(0, headSize)) != State::NeedMore) return state_;
  inBody_ = true;
  if (bodyLength_ == 0) return state_ = State::Done;
  request_.body.reserve(bodyLength_);
  return Feed(bytes.substr(headSize - held));
}

RequestReader::State RequestReader::End() {
  return state_ == State::NeedMore ? Refuse(RequestRefusal::CutShort) : state_;
}

RequestReader::State RequestReader::ReadHead(std::string_view head) {
  const std::vector<std::string_view> lines = HeadLines(head);
  if (lines.empty() || !ReadRequestLine(lines[0], request_) ||
      !ReadHeaderFields(std::span(lines).subspan(1), request_)) {
    return Refuse(RequestRefusal::Malformed);
  }
  if (request_.Header("transfer-encoding")) return Refuse(RequestRefusal::LengthRequired);
  const std::string* length = nullptr;
  for (const auto& [name, value] : request_.headers) {
    if (name != "content-length") continue;
    if (length && *length != value) return Refuse(RequestRefusal::Malformed);
    length = &value;
  }
  if (!length) {
    return request_.method == "POST" ? Refuse(RequestRefusal::LengthRequired) : State::NeedMore;
  }
  unsigned long long size = 0;
  const auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), size);
  if (length->empty() || error == std::errc::invalid_argument ||
      end != length->data() + length->size()) {
    return Refuse(RequestRefusal::Malformed);
  }
  if (error == std::errc::result_out_of_range || size > kRequestBodyLimit) {
    return Refuse(RequestRefusal::BodyTooLarge);
  }
  bodyLength_ = static_cast<std::size_t>(size);
  const std::string* expect = request_.Header("expect");
  expectsContinue_ = expect && AsciiLower(*expect) == "100-continue";
  return State::NeedMore;
}

}  // namespace cardo
