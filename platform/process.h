// Ending the process.
#pragma once

namespace ombrix::platform {

// Ends the process at once, without unwinding or running destructors: used when the dialog has
// ended while a worker still runs, so that nothing the worker uses is torn down under it.
[[noreturn]] void EndProcessNow(int exit_code);

}  // namespace ombrix::platform
