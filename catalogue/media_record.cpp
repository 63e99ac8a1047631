#include "catalogue/media_record.h"

#include <algorithm>

namespace ombrix {

MediaTable SourceTable{};
MediaTable TargetTable{};

bool SetText(std::span<char16_t> field, std::u16string_view text) {
  if (text.size() >= field.size()) return false;
  std::fill(std::copy(text.begin(), text.end(), field.begin()), field.end(), u'\0');
  return true;
}

std::u16string_view TextOf(std::span<const char16_t> field) {
  const auto end = std::find(field.begin(), field.end(), u'\0');
  return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

void SetAnsiText(std::span<char> field, std::string_view text) {
  text = text.substr(0, field.size());
  std::fill(std::copy(text.begin(), text.end(), field.begin()), field.end(), '\0');
}

std::string_view AnsiTextOf(std::span<const char> field) {
  const auto end = std::find(field.begin(), field.end(), '\0');
  return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

const MediaRecord* RecordAt(const MediaTable& table, int slot) {
  if (slot < 0 || slot >= kMaxEntries) return nullptr;
  return &table[static_cast<std::size_t>(slot)];
}

bool StoreRecord(MediaTable& table, int slot, const MediaRecord& record) {
  if (slot < 0 || slot >= kMaxEntries) return false;
  table[static_cast<std::size_t>(slot)] = record;
  return true;
}

}  // namespace ombrix
