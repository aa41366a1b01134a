// Any bytes as a line for the bracket engine: no crash, no hang, and every produced line
// keeps the text before the first "[" and after the last "]" of the input. The extended
// syntax too: a parse or a fault inside the line, and as many lines as it counts.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fnc/bracket_engine.h"
#include "fnc/extended_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  for (const auto isLead : {cardo::fnc::Cp932LeadByte, cardo::fnc::NoLeadBytes}) {
    const auto code = cardo::fnc::CheckPattern(line, isLead);
    const auto expansion = cardo::fnc::Expansion::Parse(line, isLead);
    if ((code == cardo::fnc::kPatternOk) != expansion.has_value()) std::abort();
    if (!expansion || isLead != cardo::fnc::NoLeadBytes) continue;
    const auto prefix = line.substr(0, line.find('['));
    const auto suffix = line.substr(line.rfind(']') + 1);
    std::uint64_t produced = 0;
    expansion->ForEachLine([&](std::string_view out) {
      if (out.substr(0, prefix.size()) != prefix) std::abort();
      if (out.size() < suffix.size() || out.substr(out.size() - suffix.size()) != suffix)
        std::abort();
      return ++produced < 1000;
    });
    if (produced != std::min<std::uint64_t>(expansion->LineCount(), 1000)) std::abort();
  }
  for (const auto isLead : {cardo::fnc::Cp932LeadByte, cardo::fnc::NoLeadBytes}) {
    const auto parsed = cardo::fnc::ExtendedExpansion::Parse(line, isLead);
    if (const auto* error = std::get_if<cardo::fnc::PatternError>(&parsed)) {
      if (error->offset > line.size() || cardo::fnc::PatternErrorText(*error).empty()) std::abort();
      continue;
    }
    const auto& expansion = std::get<cardo::fnc::ExtendedExpansion>(parsed);
    std::uint64_t produced = 0;
    expansion.ForEachLine([&](std::string_view) { return ++produced < 1000; });
    if (produced != std::min<std::uint64_t>(expansion.LineCount(), 1000)) std::abort();
  }
  return 0;
}
