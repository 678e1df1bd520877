// The desktop's own choosers for colours, files and folders. A desktop offers them through a
// helper program: `zenity` (GNOME and most others) or `kdialog` (KDE), looked up on PATH in that
// order and used only when a display is present (DISPLAY or WAYLAND_DISPLAY set). Each call runs
// the helper directly (no shell), waits for it and reads its answer from its output.
//
// Every function returns nothing when no desktop chooser can be used (the caller then shows one of
// its own), and an empty answer (or -1 for colours) when the player cancelled.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::platform {

// The helper program found ("zenity" or "kdialog"), or "" when none can be used.
std::string DesktopChooserProgram();

// Filters are (description, patterns) with patterns separated by ";" ("*.txt;*.doc"). Names are UTF-8.
std::optional<std::string> DesktopFileChooser(bool save, const std::vector<std::pair<std::string, std::string>>& filters,
                                              const std::string& startName);
std::optional<std::string> DesktopDirectoryChooser(const std::string& caption, const std::string& start);
// Colours as 0xRRGGBB; -1 when cancelled.
std::optional<int> DesktopColourChooser(int rgb);

// Runs `program` with `arguments` (no shell), waits, and gives its standard output; the exit status
// in `status` (-1 when it could not start or ended by a signal). At most 1 MB of output is kept.
std::string RunProgramForOutput(const std::string& program, const std::vector<std::string>& arguments, int& status);

}  // namespace qv::platform
