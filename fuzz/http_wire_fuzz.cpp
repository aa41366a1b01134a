// Any bytes as an answer read on after an interim one: read whole and read a byte at a time,
// it gives the same head, the same body and the same ending, and never more body than bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/net/http_wire.h"

namespace {

struct Recorded final : cardo::StackSink {
  bool Head(cardo::HttpHead head) override {
    status = head.status;
    return true;
  }
  bool Body(std::string_view bytes) override {
    body += bytes;
    return true;
  }
  int status = 0;
  std::string body;
};

struct Read {
  Recorded sink;
  cardo::StackOutcome outcome;
};

void ReadIn(std::string_view bytes, std::size_t piece, Read& read) {
  cardo::WireReader reader(read.sink, false, 4096);
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    if (!reader.Feed(bytes.substr(at, piece))) break;
  }
  read.outcome = reader.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Read whole, pieces;
  ReadIn(bytes, bytes.size() + 1, whole);
  ReadIn(bytes, 1, pieces);
  if (whole.sink.status != pieces.sink.status || whole.sink.body != pieces.sink.body ||
      whole.outcome.error.kind != pieces.outcome.error.kind ||
      whole.outcome.bodyCut != pieces.outcome.bodyCut || whole.sink.body.size() > size) {
    std::abort();
  }
  return 0;
}
