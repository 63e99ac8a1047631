// The program's icons as Qt icons. Icon 128 is rendered at build time from the program's SVG into
// the sizes a window, a task bar and a desktop ask for.
#pragma once

#include <QIcon>

namespace ombrix::platform {

QIcon IconResource(int id);

}  // namespace ombrix::platform
