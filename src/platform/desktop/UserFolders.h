// The user's standard folders on Linux, by the XDG base-directory and user-directory rules.
// Each call reads the environment afresh, so a change of HOME or XDG_* is seen at once, with
// one exception: GLib reads user-dirs.dirs from the configuration folder it found on its first
// use in the process, and keeps a folder it once found there even when the file no longer
// names it. None of them creates or checks a folder.
#pragma once

#include <string>

namespace kiv::platform {

// $HOME when set, else the password database's home folder.
std::string homeFolder();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string configHome();
// $XDG_DATA_HOME when absolute, else ~/.local/share.
std::string dataHome();
// The XDG desktop folder (user-dirs.dirs), else ~/Desktop.
std::string desktopFolder();
// The XDG documents folder (user-dirs.dirs), else ~/Documents.
std::string documentsFolder();
// The temporary folder ($TMPDIR when the process first asks, else /tmp).
std::string temporaryFolder();

} // namespace kiv::platform
