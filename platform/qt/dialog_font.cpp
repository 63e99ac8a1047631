#include "platform/qt/dialog_font.h"

#include <QFontMetrics>
#include <QStringList>

namespace ombrix::platform {

QFont DialogFont(int point_size) {
  QFont font;
  // Families whose Latin letters are wide enough that the template's Chinese captions fit the
  // rectangles sized for the Windows dialog font; the first one installed wins.
  font.setFamilies(QStringList{"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback",
                               "Microsoft YaHei", "SimSun"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(point_size);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int extent = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogBaseUnits{.base_x = BaseWidthFromAlphabetExtent(extent), .base_y = metrics.height()};
}

}  // namespace ombrix::platform
