// Any bytes as aria2's answer to a multicall: the reader never crashes or recurses without
// bound, a reply of results holds exactly one per call, and a string JsonQuoted writes reads
// back as itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/export/aria2_rpc.h"
#include "app/text/json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t calls = size % 7;
  const cardo::RpcReply reply = cardo::ReadAria2Reply(bytes, calls);
  if (reply.kind == cardo::RpcReply::Kind::Results && reply.calls.size() != calls) std::abort();
  const auto quoted = cardo::ParseJson(cardo::JsonQuoted(bytes));
  if (!quoted || quoted->text != bytes) std::abort();
  return 0;
}
