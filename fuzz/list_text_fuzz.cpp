// Any bytes as a list file: decoding and splitting never crash, and the lines written back
// read as the same lines; read in the encoding the file shows, too.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/list/list_file.h"
#include "app/platform/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = cardo::SplitListText(cardo::AnsiToWide(bytes));
  for (const auto& line : lines) {
    if (line.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
  }
  if (cardo::SplitListText(cardo::BuildListText(lines)) != lines) std::abort();

  const cardo::ListFileLines read = cardo::DecodeListText(bytes);
  if (read.undecodableLines == 0) {
    const cardo::ListFileLines again = cardo::DecodeListText(
        cardo::ListTextBytes(cardo::BuildListText(read.lines, read.format), read.format));
    if (again.lines != read.lines || again.format.encoding != read.format.encoding) std::abort();
  }
  return 0;
}
