// A strict JSON reader for tests: enough to check that output parses and
// to look at what it holds. Rejects anything RFC 8259 does not allow
// (trailing commas, control characters in strings, bad escapes, trailing
// text, invalid UTF-8).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvelle::testing {

struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  double number = 0;
  std::string string;  // UTF-8
  std::vector<JsonValue> array;
  std::map<std::string, JsonValue> object;
  std::vector<std::string> keys;  // object keys in the order written
};

// The value `text` holds, or nothing when it is not exactly one JSON value;
// `*error` (when given) then says where.
std::optional<JsonValue> ParseJson(std::string_view text,
                                   std::string* error = nullptr);

}  // namespace morvelle::testing
