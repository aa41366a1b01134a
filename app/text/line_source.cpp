#include "app/text/line_source.h"

#include <algorithm>

#include "app/platform/file_system.h"
#include "app/text/byte_search.h"
#include "app/text/utf8_text.h"

namespace cardo {
namespace {

// Where the first CR or LF at or after `from` stands, or npos. One pass over the bytes: a page
// of hundreds of megabytes is searched once.
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  const std::size_t end = FindByteOf<false, '\r', '\n'>(
      reinterpret_cast<const unsigned char*>(text.data()), from, text.size());
  return end == text.size() ? std::string_view::npos : end;
}

// Where the line after an end at `end` starts: a CR LF is one end.
std::size_t AfterLineEnd(std::string_view text, std::size_t end) {
  return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

}  // namespace

bool TextLineSource::Next(std::string& line) {
  if (at_ >= text_.size()) return false;
  const std::size_t end = FindLineEnd(text_, at_);
  if (end == std::string_view::npos) {
    line.assign(text_.substr(at_));
    at_ = text_.size();
    return true;
  }
  line.assign(text_.substr(at_, end - at_));
  at_ = AfterLineEnd(text_, end);
  return true;
}

std::size_t FileLineSource::Remaining() {
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  if (end <= here) return 0;
  const auto bytes = static_cast<std::size_t>(end - here);
  if (!converter_ || read_ == 0) return bytes;
  // A converted file gives what its bytes so far gave, and an eighth more for a later part
  // that grows more (more characters beyond ASCII).
  return static_cast<std::size_t>(static_cast<double>(bytes) * static_cast<double>(converted_) /
                                  static_cast<double>(read_) * 1.125);
}

template <typename Buffer>
void FileLineSource::Reserve(Buffer& buffer, std::size_t more) {
  if (buffer.size() + more <= buffer.capacity() || buffer.size() < (1u << 20)) return;
  const std::size_t rest = Remaining();
  // Without a known size (a pipe) the buffer grows as usual.
  buffer.reserve(rest > 0 ? buffer.size() + more + rest
                          : std::max(buffer.size() + more, 2 * buffer.capacity()));
}

FileLineSource::FileLineSource(std::FILE* file, std::string_view head,
                               std::unique_ptr<BlockConverter> converter)
    : file_(file), converter_(std::move(converter)) {
  Append(head);
}

void FileLineSource::Append(std::string_view bytes) {
  Reserve(buffer_, bytes.size());
  if (!converter_) {
    buffer_.append(bytes);
    return;
  }
  const std::size_t before = buffer_.size();
  converter_->Convert(bytes, eof_, buffer_);
  read_ += bytes.size();
  converted_ += buffer_.size() - before;
}

// False once nothing more can come; true after a read, even when it converted to nothing yet.
bool FileLineSource::Fill() {
  if (eof_) return false;
  if (at_ > 0) {
    buffer_.erase(0, at_);
    at_ = 0;
  }
  char chunk[1 << 16];
  const long long n = ReadSome(file_, chunk, sizeof chunk);
  failed_ = failed_ || n < 0;
  eof_ = n <= 0;
  const std::size_t before = buffer_.size();
  Append(std::string_view(chunk, eof_ ? 0 : static_cast<std::size_t>(n)));
  return !eof_ || buffer_.size() > before;
}

bool FileLineSource::Complete(std::size_t end) const {
  // A CR at the end of the buffer may be the first half of a CR LF still unread.
  return buffer_[end] == '\n' || end + 1 < buffer_.size() || eof_;
}

void FileLineSource::Take(std::string& line, std::size_t end, std::size_t next, std::size_t whole) {
  if (at_ == 0 && end >= whole) {
    line.swap(buffer_);
    buffer_.assign(line, next, std::string::npos);
    line.resize(end);
    at_ = 0;
    return;
  }
  line.assign(buffer_, at_, end - at_);
  at_ = next;
}

bool FileLineSource::Next(std::string& line) {
  std::size_t searched = at_;  // no line end before here: a long line is not rescanned per block
  for (;;) {
    const std::size_t end = FindLineEnd(buffer_, searched);
    if (end != std::string::npos && Complete(end)) {
      Take(line, end, AfterLineEnd(buffer_, end));
      return true;
    }
    // Fill moves the unread text to the front, so the search resumes by its offset.
    const std::size_t resume = (end != std::string::npos ? end : buffer_.size()) - at_;
    if (!Fill()) {
      if (at_ >= buffer_.size()) return false;
      if (end == std::string::npos) {
        Take(line, buffer_.size(), buffer_.size());
        return true;
      }
    }
    searched = at_ + resume;
  }
}

bool FileLineSource::NextLines(std::string& text) {
  std::size_t searched = at_;  // as in Next: a long line is searched once
  for (;;) {
    if (FindLineEnd(buffer_, searched) != std::string::npos) {
      // Only the unfinished line after the last end is left to copy.
      const std::size_t last = buffer_.find_last_of("\r\n") + 1;
      Take(text, last, last, 0);
      return true;
    }
    const std::size_t resume = buffer_.size() - at_;
    if (!Fill()) {
      if (at_ >= buffer_.size()) return false;
      Take(text, buffer_.size(), buffer_.size());
      text.push_back('\n');
      return true;
    }
    searched = at_ + resume;
  }
}

bool LineSource::NextLines(std::string& text) {
  if (!Next(text)) return false;
  text.push_back('\n');
  return true;
}

bool LineSource::NextText(std::u16string& text) {
  std::string bytes;
  if (!Next(bytes)) return false;
  text.clear();
  AppendUtf16(bytes, true, text);
  return true;
}

bool FileLineSource::NextText(std::u16string& text) {
  text.clear();
  bool any = false;
  auto take = [&](std::size_t end, bool final) {
    const std::string_view piece(buffer_.data() + at_, end - at_);
    Reserve(text, piece.size());
    const std::size_t used = AppendUtf16(piece, final, text);
    at_ += used;
    any = any || used > 0;
  };
  for (;;) {
    const std::size_t end = FindLineEnd(buffer_, at_);
    if (end != std::string::npos && Complete(end)) {
      take(end, true);
      at_ = AfterLineEnd(buffer_, end);
      return true;
    }
    take(end != std::string::npos ? end : buffer_.size(), false);
    // At the end of the file a CR left waiting is a line end: the next turn takes it as one.
    if (!Fill() && end == std::string::npos) {
      if (at_ >= buffer_.size()) return any;
      take(buffer_.size(), true);
      return true;
    }
  }
}

}  // namespace cardo
