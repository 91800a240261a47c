#pragma once
// Whether a window can be shown at all, asked before the window toolkit starts:
// without a display it would end the program with an abort and advice to reinstall.

namespace platform {

// True when the program can reach a desktop display (always on Windows).
bool desktopDisplayFound();

} // namespace platform
