// Controls of the dialog that the platform-neutral code drives. The window of each platform
// implements them over its own widgets.
#pragma once

#include <string>
#include <string_view>

namespace ombrix::platform {

// A drop-down list that is not sorted: an added item becomes the last one, at the position equal
// to the item count before the addition. Position -1 means no selection.
class ComboBox {
 public:
  virtual ~ComboBox() = default;
  virtual int AddString(std::u16string_view text) = 0;  // the new item's position
  virtual int GetCount() const = 0;
  virtual int GetCurSel() const = 0;
  virtual void SetCurSel(int position) = 0;  // -1 clears the selection
  virtual std::u16string GetLBText(int position) const = 0;
};

}  // namespace ombrix::platform
