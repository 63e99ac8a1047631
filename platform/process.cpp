#include "platform/process.h"

#include <cstdio>
#include <cstdlib>

namespace ombrix::platform {

void EndProcessNow(int exit_code) {
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

}  // namespace ombrix::platform
