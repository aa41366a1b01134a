#pragma once
// An HTTP/1.1 answer read from its bytes as they arrive: interim 1xx answers passed over, the
// final answer's head, then its body by its framing (Content-Length, chunks with their
// trailer, or the close). A stack that took an interim answer for the final one (Wine's
// WinHTTP with a 103) hands over as "body" the bytes of what follows; this reads them as the
// answer they are. Cost: linear in the bytes; a head past its limit fails.
#include <cstddef>
#include <string>
#include <string_view>

#include "app/net/http_client.h"

namespace cardo {

class WireReader {
 public:
  // `noBody`: the answer to a HEAD, which has none whatever its head says.
  WireReader(StackSink& sink, bool noBody, std::size_t headLimit = 256 * 1024);

  // Takes the next bytes; false once the answer has ended by its framing, failed, or the sink
  // wanted no more (then Finish says which).
  bool Feed(std::string_view bytes);
  // How the answer ended, the connection having ended here if it had not before.
  StackOutcome Finish() const;

 private:
  enum class State { Head, Length, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilClose, Done };
  bool Line(std::string_view line);
  bool HeadLine(std::string_view line);
  bool Fail(HttpFailure failure);
  bool Pass(std::string_view bytes);

  StackSink& sink_;
  const bool noBody_;
  const std::size_t headLimit_;
  State state_ = State::Head;
  HttpHead head_;
  std::string line_;  // a line not yet ended
  std::size_t headBytes_ = 0;
  bool anyByte_ = false;
  unsigned long long left_ = 0;  // of the body's length or of the chunk
  HttpError error_;
  bool stopped_ = false;
};

}  // namespace cardo
