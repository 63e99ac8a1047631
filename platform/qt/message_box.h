// Message boxes with the flags and answers of Windows, shown with Qt.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string_view>

namespace ombrix::platform {

// Modal on `owner`; returns kIdOk, kIdYes or kIdNo.
int ShowQtMessageBox(QWidget* owner, std::u16string_view text, std::u16string_view title,
                     std::uint32_t flags);

}  // namespace ombrix::platform
