// The font that stands in for "MS Shell Dlg" and the dialog base units it gives.
#pragma once

#include <QFont>

#include "platform/dialog_template.h"

namespace ombrix::platform {

// A sans-serif with Chinese glyphs at the template's point size.
QFont DialogFont(int point_size);

// Average character width and height of the font, as Windows measures them for a dialog.
DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace ombrix::platform
