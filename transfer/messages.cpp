#include "transfer/messages.h"

namespace ombrix::messages {

namespace {

std::u16string Number(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return {digits.begin(), digits.end()};
}

}  // namespace

std::u16string CopyMismatch(std::int64_t sector) {
  return u"校验失败：第 " + Number(sector) + u" 扇区与源硬盘不一致 ！";
}

std::u16string ZeroMismatch(std::int64_t sector) {
  return u"校验失败：第 " + Number(sector) + u" 扇区不为零 ！";
}

}  // namespace ombrix::messages
