#include "JsonChecker.h"

#include <cstdlib>

namespace morvelle::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document(std::string* error) {
    JsonValue value;
    bool ok = Value(&value, 0);
    SkipSpace();
    if (ok && pos_ != text_.size()) ok = Fail("text after the value");
    if (!ok) {
      if (error) *error = error_ + " at byte " + std::to_string(pos_);
      return std::nullopt;
    }
    return value;
  }

 private:
  bool Fail(const char* why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  void SkipSpace() {
    while (pos_ < text_.size() && std::string_view(" \t\r\n").find(
                                      text_[pos_]) != std::string_view::npos)
      ++pos_;
  }
  bool Take(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return Fail("unknown word");
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue* v, int depth) {
    if (depth > 64) return Fail("nested too deep");
    SkipSpace();
    if (pos_ == text_.size()) return Fail("value expected");
    char c = text_[pos_];
    if (c == '{') return Object(v, depth);
    if (c == '[') return Array(v, depth);
    if (c == '"') {
      v->type = JsonValue::Type::kString;
      return String(&v->string);
    }
    if (c == 't' || c == 'f') {
      v->type = JsonValue::Type::kBool;
      v->boolean = c == 't';
      return Word(c == 't' ? "true" : "false");
    }
    if (c == 'n') return Word("null");
    return Number(v);
  }

  bool Object(JsonValue* v, int depth) {
    v->type = JsonValue::Type::kObject;
    ++pos_;
    if (Take('}')) return true;
    do {
      std::string key;
      SkipSpace();
      if (pos_ == text_.size() || text_[pos_] != '"')
        return Fail("key expected");
      if (!String(&key)) return false;
      if (!Take(':')) return Fail("':' expected");
      JsonValue member;
      if (!Value(&member, depth + 1)) return false;
      if (!v->object.emplace(key, std::move(member)).second)
        return Fail("duplicate key");
      v->keys.push_back(key);
    } while (Take(','));
    return Take('}') || Fail("'}' expected");
  }

  bool Array(JsonValue* v, int depth) {
    v->type = JsonValue::Type::kArray;
    ++pos_;
    if (Take(']')) return true;
    do {
      JsonValue element;
      if (!Value(&element, depth + 1)) return false;
      v->array.push_back(std::move(element));
    } while (Take(','));
    return Take(']') || Fail("']' expected");
  }

  bool Number(JsonValue* v) {
    std::size_t start = pos_;
    auto digits = [&] {
      std::size_t from = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
        ++pos_;
      return pos_ > from;
    };
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '0')
      ++pos_;
    else if (!digits())
      return Fail("number expected");
    if (pos_ < text_.size() && text_[pos_] == '.' && (++pos_, !digits()))
      return Fail("digits expected after '.'");
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
        ++pos_;
      if (!digits()) return Fail("digits expected in exponent");
    }
    v->type = JsonValue::Type::kNumber;
    v->number = std::strtod(
        std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
    return true;
  }

  static void AppendUtf8(unsigned long cp, std::string* out) {
    if (cp < 0x80) {
      *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      *out += static_cast<char>(0xC0 | (cp >> 6));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *out += static_cast<char>(0xE0 | (cp >> 12));
      *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (cp >> 18));
      *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool Hex4(unsigned long* cp) {
    if (pos_ + 4 > text_.size()) return Fail("short \\u escape");
    std::string hex(text_.substr(pos_, 4));
    char* end = nullptr;
    *cp = std::strtoul(hex.c_str(), &end, 16);
    if (end != hex.c_str() + 4) return Fail("bad \\u escape");
    pos_ += 4;
    return true;
  }

  bool Escape(std::string* out) {
    if (pos_ == text_.size()) return Fail("unclosed string");
    char c = text_[pos_++];
    static const std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
    std::size_t simple = kFrom.find(c);
    if (simple != std::string_view::npos) {
      *out += kTo[simple];
      return true;
    }
    if (c != 'u') return Fail("bad escape");
    unsigned long cp = 0;
    if (!Hex4(&cp)) return false;
    if (cp >= 0xD800 && cp < 0xDC00) {
      unsigned long low = 0;
      if (text_.substr(pos_, 2) != "\\u" || (pos_ += 2, !Hex4(&low)) ||
          low < 0xDC00 || low > 0xDFFF)
        return Fail("lone surrogate");
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    } else if (cp >= 0xDC00 && cp < 0xE000) {
      return Fail("lone surrogate");
    }
    AppendUtf8(cp, out);
    return true;
  }

  // Copies one UTF-8 sequence, checking it is well formed.
  bool Utf8(std::string* out) {
    auto lead = static_cast<unsigned char>(text_[pos_]);
    std::size_t n = lead < 0x80   ? 1
                    : lead < 0xC2 ? 0
                    : lead < 0xE0 ? 2
                    : lead < 0xF0 ? 3
                    : lead < 0xF5 ? 4
                                  : 0;
    if (n == 0 || pos_ + n > text_.size()) return Fail("invalid UTF-8");
    for (std::size_t i = 1; i < n; ++i)
      if ((static_cast<unsigned char>(text_[pos_ + i]) & 0xC0) != 0x80)
        return Fail("invalid UTF-8");
    out->append(text_.substr(pos_, n));
    pos_ += n;
    return true;
  }

  bool String(std::string* out) {
    ++pos_;
    for (;;) {
      if (pos_ == text_.size()) return Fail("unclosed string");
      char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20)
        return Fail("control character in string");
      if (c == '\\') {
        ++pos_;
        if (!Escape(out)) return false;
      } else if (!Utf8(out)) {
        return false;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text, std::string* error) {
  return Reader(text).Document(error);
}

}  // namespace morvelle::testing
