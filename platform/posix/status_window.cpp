#include "platform/status_window.h"

namespace tz::platform {

// Linux has no window system the library could count on: nothing to create.
StatusWindow::StatusWindow() = default;
StatusWindow::~StatusWindow() = default;

}  // namespace tz::platform
