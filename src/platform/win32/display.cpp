#include "platform/display.h"

namespace platform {

DesktopDisplay::~DesktopDisplay() = default;

DesktopDisplay findDesktopDisplay() { return DesktopDisplay(true); }

} // namespace platform
