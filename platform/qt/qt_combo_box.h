// The drop-down list interface over a QComboBox that is never sorted.
#pragma once

#include <QComboBox>

#include "platform/controls.h"
#include "platform/qt/qt_text.h"

namespace ombrix::platform {

class QtComboBox final : public ComboBox {
 public:
  explicit QtComboBox(QComboBox& box) : box_(box) {}

  int AddString(std::u16string_view text) override {
    // Qt selects the first item added to an empty box; a Windows list stays without selection.
    const int selection = box_.currentIndex();
    box_.addItem(ToQString(text));
    box_.setCurrentIndex(selection);
    return box_.count() - 1;
  }
  int GetCount() const override { return box_.count(); }
  int GetCurSel() const override { return box_.currentIndex(); }
  void SetCurSel(int position) override {
    box_.setCurrentIndex(position >= 0 && position < box_.count() ? position : -1);
  }
  std::u16string GetLBText(int position) const override {
    return FromQString(box_.itemText(position));
  }

 private:
  QComboBox& box_;
};

}  // namespace ombrix::platform
