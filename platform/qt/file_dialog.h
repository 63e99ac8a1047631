// The open and save dialogs for image files.
#pragma once

#include <QWidget>
#include <optional>

#include "platform/dialog.h"

namespace ombrix::platform {

std::optional<ChosenFile> RunQtFileDialog(QWidget* owner, const FileDialogRequest& request);

}  // namespace ombrix::platform
