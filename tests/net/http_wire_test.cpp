// Reading an answer from its bytes, as the WinHTTP face does after Wine took an interim answer
// for the final one: each shape fed whole and a byte at a time gives the same.
#include "app/net/http_wire.h"

#include <gtest/gtest.h>

namespace cardo {
namespace {

struct Recorded final : StackSink {
  bool Head(HttpHead head) override {
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

TEST(WireReader, ReadsEachFramingToItsEndAndSaysWhereItWasCut) {
  const struct {
    const char* shape;
    std::string bytes;
    bool noBody;
    int status;
    std::string body;
    HttpFailure failure;
    bool cut;
  } cases[] = {
      {"interim answers before the final one",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n"
       "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloIGNORED",
       false, 200, "hello", HttpFailure::None, false},
      {"chunks and a trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;x=1\r\nhello\r\n6\r\n world\r\n"
       "0\r\nX-Sum: 1\r\n\r\n",
       false, 200, "hello world", HttpFailure::None, false},
      {"chunks cut off", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", false,
       200, "hel", HttpFailure::None, true},
      {"a body shorter than its length", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello", false,
       200, "hello", HttpFailure::None, true},
      {"a body the close ends", "HTTP/1.1 200 OK\r\n\r\nhello", false, 200, "hello",
       HttpFailure::None, false},
      {"the answer to a HEAD", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n", true, 200, "",
       HttpFailure::None, false},
      {"a 204", "HTTP/1.1 204 No Content\r\n\r\n", false, 204, "", HttpFailure::None, false},
      {"a head cut off", "HTTP/1.1 200 OK\r\nContent-Le", false, 0, "", HttpFailure::HeadersCut,
       false},
      {"no byte at all", "", false, 0, "", HttpFailure::Closed, false},
      {"bytes that are no answer", "garbage\r\n\r\n", false, 0, "", HttpFailure::BadResponse,
       false},
      {"a chunk size that is none", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
       false, 200, "", HttpFailure::BadResponse, false},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {c.bytes.size() + 1, std::size_t{1}}) {
      Recorded sink;
      WireReader reader(sink, c.noBody);
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        if (!reader.Feed(std::string_view(c.bytes).substr(at, piece))) break;
      }
      const StackOutcome outcome = reader.Finish();
      EXPECT_EQ(sink.status, c.status) << c.shape << ", pieces of " << piece;
      EXPECT_EQ(sink.body, c.body) << c.shape << ", pieces of " << piece;
      EXPECT_EQ(outcome.error.kind, c.failure) << c.shape << ", pieces of " << piece;
      EXPECT_EQ(outcome.bodyCut, c.cut) << c.shape << ", pieces of " << piece;
    }
  }
}

TEST(WireReader, AHeadPastItsLimitIsRefused) {
  Recorded sink;
  WireReader reader(sink, false, 1024);
  std::string head = "HTTP/1.1 200 OK\r\n";
  while (head.size() < 2048) head += "X-More: 0123456789\r\n";
  EXPECT_FALSE(reader.Feed(head));
  EXPECT_EQ(reader.Finish().error.kind, HttpFailure::HeadersTooLong);
}

}  // namespace
}  // namespace cardo
