// A drop-down list kept in memory, for tests of the code that fills and reads the lists.
#pragma once

#include <string>
#include <vector>

#include "platform/controls.h"

namespace ombrix::test {

class MemoryComboBox final : public platform::ComboBox {
 public:
  int AddString(std::u16string_view text) override {
    items_.emplace_back(text);
    return static_cast<int>(items_.size()) - 1;
  }
  int GetCount() const override { return static_cast<int>(items_.size()); }
  int GetCurSel() const override { return selection_; }
  void SetCurSel(int position) override {
    selection_ = position >= 0 && position < GetCount() ? position : -1;
  }
  std::u16string GetLBText(int position) const override {
    return items_.at(static_cast<std::size_t>(position));
  }
  const std::vector<std::u16string>& items() const { return items_; }

 private:
  std::vector<std::u16string> items_;
  int selection_ = -1;
};

}  // namespace ombrix::test
