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

FileLineSource::FileLineSource(std::FILE* file, std::string_view head,
                               std::unique_ptr<BlockConverter> converter)
    : file_(file), converter_(std::move(converter)) {
  Append(head);
}

void FileLineSource::Append(std::string_view bytes) {
  if (!converter_) {
    buffer_.append(bytes);
    return;
  }
  converter_->Convert(bytes, eof_, buffer_);
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

void FileLineSource::Take(std::string& line, std::size_t end, std::size_t next) {
  line.assign(buffer_, at_, end - at_);
  at_ = next;
}

bool FileLineSource::TakePiece(std::string& piece, bool skipRuns) {
  const std::string_view window(buffer_.data() + at_, kLinePieceBytes);
  constexpr std::size_t kHalf = kLinePieceBytes / 2;
  constexpr std::string_view kEnds = " \t<>\"'";
  std::size_t cut = window.rfind('>');
  if (cut == std::string_view::npos || cut < kHalf) cut = window.find_last_of(kEnds);
  if (cut != std::string_view::npos && cut >= kHalf) {
    Take(piece, at_ + cut + 1, at_ + cut + 1);
    return true;
  }
  if (!skipRuns) {
    Take(piece, at_ + kLinePieceBytes, at_ + kLinePieceBytes);
    return true;
  }
  // The last half is one run too long for a URL: what stands before it goes, the run does not.
  ++leftOut_;
  skipping_ = true;
  const std::size_t before = window.substr(0, kHalf).find_last_of(kEnds);
  if (before == std::string_view::npos) {
    at_ += kLinePieceBytes;
    return false;
  }
  Take(piece, at_ + before + 1, at_ + before + 1);
  return true;
}

void FileLineSource::SkipRun() {
  for (;;) {
    const std::size_t end = buffer_.find_first_of(std::string_view(" \t<>\"'\r\n", 8), at_);
    if (end != std::string::npos) {
      at_ = end;
      skipping_ = false;
      return;
    }
    at_ = buffer_.size();
    if (!Fill()) return;
  }
}

bool FileLineSource::Next(std::string& line) {
  std::size_t searched = at_;  // no line end before here: a long line is not rescanned per block
  for (;;) {
    if (skipping_) {
      SkipRun();
      searched = at_;
    }
    const std::size_t end = FindLineEnd(buffer_, searched);
    const std::size_t known = end != std::string::npos ? end : buffer_.size();
    if (known - at_ > kLinePieceBytes) {
      if (TakePiece(line, true)) return true;
      searched = at_;
      continue;
    }
    if (end != std::string::npos && Complete(end)) {
      Take(line, end, AfterLineEnd(buffer_, end));
      return true;
    }
    // Fill moves the unread text to the front, so the search resumes by its offset.
    const std::size_t resume = known - at_;
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
      Take(text, last, last);
      return true;
    }
    // A reader of pieces of any size takes a long line a piece at a time.
    if (buffer_.size() - at_ > kLinePieceBytes) return TakePiece(text, false);
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

}  // namespace cardo
