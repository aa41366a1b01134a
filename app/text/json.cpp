#include "app/text/json.h"

namespace cardo {
namespace {

class Parser {
 public:
  Parser(std::string_view text, int maxDepth) : text_(text), depth_(maxDepth) {}

  std::optional<JsonValue> Document() {
    JsonValue value;
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue& value, int depth) {
    if (depth > depth_) return false;
    SkipBlanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      value.kind = JsonValue::Kind::String;
      return String(value.text);
    }
    if (c == 't' || c == 'f') {
      value.kind = JsonValue::Kind::Boolean;
      value.text = c == 't' ? "true" : "false";
      return Word(value.text);
    }
    if (c == 'n') return Word("null");
    return Number(value);
  }

  bool Object(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Object;
    ++at_;
    if (Take('}')) return true;
    do {
      SkipBlanks();
      value.keys.emplace_back();
      value.items.emplace_back();
      if (at_ >= text_.size() || text_[at_] != '"' || !String(value.keys.back()) || !Take(':') ||
          !Value(value.items.back(), depth + 1)) {
        return false;
      }
    } while (Take(','));
    return Take('}');
  }

  bool Array(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Array;
    ++at_;
    if (Take(']')) return true;
    do {
      value.items.emplace_back();
      if (!Value(value.items.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool Number(JsonValue& value) {
    const std::size_t from = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    while (at_ < text_.size() &&
           (std::string_view("0123456789.eE+-").find(text_[at_]) != std::string_view::npos)) {
      ++at_;
    }
    if (at_ == from || (at_ == from + 1 && text_[from] == '-')) return false;
    value.kind = JsonValue::Kind::Number;
    value.text = std::string(text_.substr(from, at_ - from));
    return true;
  }

  bool Hex4(unsigned& code) {
    if (at_ + 4 > text_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const unsigned digit = c >= '0' && c <= '9'   ? c - '0'
                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : 16;
      if (digit > 15) return false;
      code = code * 16 + digit;
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool String(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      const std::string_view simple = "\"\\/bfnrt";
      const std::string_view meant = "\"\\/\b\f\n\r\t";
      if (const std::size_t i = simple.find(e); i != std::string_view::npos) {
        out += meant[i];
        continue;
      }
      unsigned code = 0;
      if (e != 'u' || !Hex4(code)) return false;
      if (code >= 0xD800 && code < 0xDC00 && Word("\\u")) {
        unsigned low = 0;
        if (!Hex4(low)) return false;
        code = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00)
                                             : 0xFFFD;
      } else if (code >= 0xD800 && code < 0xE000) {
        code = 0xFFFD;  // a lone surrogate
      }
      AppendUtf8(out, code);
    }
    return false;
  }

  std::string_view text_;
  int depth_;
  std::size_t at_ = 0;
};

}  // namespace

std::string JsonQuoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  quoted.reserve(text.size() + 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      quoted += "\\u00";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + '"';
}

const JsonValue* JsonValue::Member(std::string_view name) const {
  if (kind != Kind::Object) return nullptr;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == name) return &items[i];
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, int maxDepth) {
  return Parser(text, maxDepth).Document();
}

}  // namespace cardo
