#include "app/Json.h"

#include <cstdio>
#include <optional>

#include "platform/Utf8.h"

namespace morvelle {

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  while (!text.empty()) {
    std::optional<Utf8CodePoint> decoded = DecodeUtf8(text);
    std::size_t length = decoded ? decoded->length : 0;
    char c = text[0];
    if (length == 0) {
      json += "\\ufffd";
      length = 1;
    } else if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c == '\r') {
      json += "\\r";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return json + "\"";
}

JsonObject& JsonObject::Key(std::string_view key) {
  if (!fields_.empty()) fields_ += ",";
  fields_ += JsonString(key) + ":";
  return *this;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view value) {
  return Raw(key, JsonString(value));
}

JsonObject& JsonObject::Number(std::string_view key, std::uint64_t value) {
  return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  Key(key).fields_.append(json);
  return *this;
}

JsonObject JsonRecord(std::string_view kind) {
  JsonObject record;
  record.Number("schema", kJsonSchema).String("kind", kind);
  return record;
}

std::string JsonLine(const JsonObject& record) { return record.Text() + "\n"; }

std::string JsonArray(const std::vector<std::string>& elements) {
  std::string json = "[";
  for (const std::string& element : elements)
    json += (json.size() > 1 ? "," : "") + element;
  return json + "]";
}

std::string JsonStrings(const std::vector<std::string>& texts) {
  std::vector<std::string> strings;
  strings.reserve(texts.size());
  for (const std::string& text : texts) strings.push_back(JsonString(text));
  return JsonArray(strings);
}

}  // namespace morvelle
