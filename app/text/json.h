#pragma once
// The little JSON the program speaks: strings written, and documents read into values (the RPC
// hand-over's replies, the links a browser sends).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// `text` as a JSON string, quoted: '"', "\" and the controls below 0x20 escaped, every other
// byte (UTF-8) as it is.
std::string JsonQuoted(std::string_view text);

struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };
  Kind kind = Kind::Null;
  std::string text;               // a string's UTF-8 (escapes read), a number or boolean as written
  std::vector<JsonValue> items;   // an array's items; an object's member values
  std::vector<std::string> keys;  // an object's member names, in the order of `items`

  // The member named `name` of an object, or nullptr.
  const JsonValue* Member(std::string_view name) const;
};

// The one value `text` holds (blanks around it allowed), or nothing when it is no JSON, is cut
// short, or nests deeper than `maxDepth`. Linear in the text's length.
std::optional<JsonValue> ParseJson(std::string_view text, int maxDepth = 32);

}  // namespace cardo
