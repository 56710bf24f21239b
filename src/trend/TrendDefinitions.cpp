#include "trend/TrendDefinitions.h"

#include <algorithm>

namespace morvelle {

std::int16_t HstHeader::ReadInt16(std::size_t offset) const {
  auto lo = static_cast<unsigned char>(bytes[offset]);
  auto hi = static_cast<unsigned char>(bytes[offset + 1]);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

std::optional<TrendLayout> LayoutForVersion(int version) {
  switch (version) {
    case 0:
    case 1:
    case 2:
    case 3:
      return TrendLayout{240, 144, 160, 32, 224, 144};
    case 4:
      return TrendLayout{432, 272, 304, 64, 288, 160};
    case 5:
      return TrendLayout{288, 144, 160, 80, 272, 144};
    case 6:
      return TrendLayout{448, 272, 304, 80, 304, 160};
    default:
      return std::nullopt;
  }
}

std::string PadWithNul(std::string_view text, std::size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.resize(width, '\0');
  return padded;
}

std::string TrimAtNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string ReadField(std::string_view record, FieldSpan field) {
  return std::string(record.substr(field.offset, field.width));
}

void StoreField(std::string* record, FieldSpan field, std::string_view value) {
  if (record->size() < field.offset + field.width)
    record->resize(field.offset + field.width, '\0');
  char* out = record->data() + field.offset;
  std::size_t n = std::min(value.size(), field.width);
  std::copy_n(value.data(), n, out);
  std::fill(out + n, out + field.width, '\0');
}

}  // namespace morvelle
