// JSON for scripts: every mode that takes --json writes its objects with
// these, one object to a line. Each object a mode writes on its own line
// is a record: it starts with "schema" (kJsonSchema) and "kind", so that a
// script reading JSON Lines knows what each line is and that its fields
// mean what they meant when the script was written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvelle {

// Raised when a field changes its meaning or its type, or goes away; a
// field added leaves it as it is.
inline constexpr int kJsonSchema = 1;

// `text` as a JSON string literal, quotes included. Bytes that are not
// UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// One JSON object, its fields in the order they are added.
class JsonObject {
 public:
  JsonObject& String(std::string_view key, std::string_view value);
  JsonObject& Number(std::string_view key, std::uint64_t value);
  JsonObject& Bool(std::string_view key, bool value);
  // `json` is JSON already: an object or an array.
  JsonObject& Raw(std::string_view key, std::string_view json);
  // "{...}", no line break.
  std::string Text() const { return "{" + fields_ + "}"; }

 private:
  JsonObject& Key(std::string_view key);
  std::string fields_;
};

// The record of `kind`: an object that starts with "schema" and "kind".
JsonObject JsonRecord(std::string_view kind);

// `record`'s text and a line break: one line of JSON Lines.
std::string JsonLine(const JsonObject& record);

// "[...]" of `elements`, each JSON already.
std::string JsonArray(const std::vector<std::string>& elements);

// "[...]" of `texts` as JSON strings.
std::string JsonStrings(const std::vector<std::string>& texts);

}  // namespace morvelle
