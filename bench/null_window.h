// A window for the benchmarks: shows nothing, answers every box with Yes and remembers the last.
#pragma once

#include <string>

#include "platform/window.h"

namespace ombrix::bench {

class NullWindow final : public platform::DialogWindow {
 public:
  std::intptr_t Send(std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
  void Notify(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
  int ShowMessageBox(std::u16string_view text, std::u16string_view, std::uint32_t) override {
    last_box = text;
    return platform::kIdYes;
  }
  std::u16string last_box;
};

}  // namespace ombrix::bench
