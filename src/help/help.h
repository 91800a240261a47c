#pragma once
// The About / Help tab: the guide beside the program and the maker's web pages.
#include "platform/launcher.h"
#include "platform/shell.h"

#include <string>

namespace help {

inline constexpr const char* kGuideFileName = "Framewise_Guide.txt";

// The controls that open a web page.
enum class Link { Label8, Label12, Picture3, Picture4 };

// The fixed address each control opens.
std::string linkAddress(Link link);

// Command1_Click: the guide in the text editor (Notepad on Windows). A failure to
// start the editor is not reported, as for every link here.
void Command1_Click(const std::string& appFolder, platform::Launcher& launcher);

// Label8_Click, Label12_Click, Picture3_Click, Picture4_Click.
void openLink(Link link, platform::Shell& shell);

} // namespace help
