#pragma once

#include <QString>

#include <functional>

// Opens a file or a folder with the desktop's opener, "xdg-open" found in PATH, and tells
// whether it opened. The opener's exit status counts, not only its start: xdg-open starts
// wherever it is installed and only then finds that nothing can show the file (status 3) or
// that the program it chose failed (status 4).
//
// `told` is called exactly once: at once when the opener cannot be started, else on a thread
// of its own when the opener ends. An opener still running after kVerdictMs shows the file
// itself (a viewer run in the foreground), which counts as opened.
using DesktopOpened = std::function<void(bool opened)>;

constexpr int kDesktopOpenerVerdictMs = 10000;

void openOnDesktop(const QString &path, DesktopOpened told);
