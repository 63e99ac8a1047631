#include "platform/linux/sysfs.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace ombrix::platform::sysfs {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

std::string_view WithoutLineEnd(std::string_view raw) {
  raw = raw.substr(0, raw.find('\0'));
  if (raw.ends_with('\n')) raw.remove_suffix(1);
  return raw;
}

// An ATA string: a run of 16-bit words, the first character of each pair in the high byte.
std::string AtaString(std::span<const std::byte> identify, std::size_t first_word,
                      std::size_t words) {
  std::string text;
  for (std::size_t w = first_word; w < first_word + words; ++w) {
    text.push_back(static_cast<char>(identify[2 * w + 1]));
    text.push_back(static_cast<char>(identify[2 * w]));
  }
  return std::string(TrimBlanks(text.substr(0, text.find('\0'))));
}

}  // namespace

std::optional<std::string> ReadFile(const std::filesystem::path& file, std::size_t max_bytes) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string bytes(max_bytes, '\0');
  std::size_t filled = 0;
  bool failed = false;
  while (filled < max_bytes) {
    const ssize_t n = ::read(fd, bytes.data() + filled, max_bytes - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (failed) return std::nullopt;
  bytes.resize(filled);
  return bytes;
}

std::string AttributeText(std::string_view raw) {
  return std::string(WithoutLineEnd(raw));
}

std::optional<std::uint64_t> ParseDecimal(std::string_view raw) {
  const std::string_view text = WithoutLineEnd(raw);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<std::uint64_t> ParseDeviceNumber(std::string_view raw) {
  const std::string_view text = WithoutLineEnd(raw);
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto major = ParseDecimal(text.substr(0, colon));
  const auto minor = ParseDecimal(text.substr(colon + 1));
  // Linux device numbers hold 12 bits of major and 20 bits of minor.
  if (!major || !minor || *major >= (1u << 12) || *minor >= (1u << 20)) return std::nullopt;
  return makedev(static_cast<unsigned>(*major), static_cast<unsigned>(*minor));
}

std::optional<std::string> ParseUnitSerialPage(std::span<const std::byte> page) {
  constexpr std::size_t kHeader = 4;
  if (page.size() < kHeader || page[1] != std::byte{0x80}) return std::nullopt;
  const std::size_t length =
      std::to_integer<std::size_t>(page[2]) << 8 | std::to_integer<std::size_t>(page[3]);
  const auto body = page.subspan(kHeader, std::min(length, page.size() - kHeader));
  std::string serial;
  for (std::byte b : body) {
    if (b == std::byte{0}) break;
    serial.push_back(static_cast<char>(b));
  }
  return serial;
}

std::optional<AtaIdentity> ParseAtaInformationPage(std::span<const std::byte> page) {
  constexpr std::size_t kIdentifyAt = 60;
  constexpr std::size_t kIdentifyBytes = 512;
  if (page.size() < kIdentifyAt + kIdentifyBytes || page[1] != std::byte{0x89}) return std::nullopt;
  const auto identify = page.subspan(kIdentifyAt, kIdentifyBytes);
  // Word positions of the IDENTIFY DEVICE texts.
  return AtaIdentity{
      .model = AtaString(identify, 27, 20),
      .serial = AtaString(identify, 10, 10),
      .firmware = AtaString(identify, 23, 4),
  };
}

}  // namespace ombrix::platform::sysfs
