// The Qt application of the desktop program. Without a display to show the
// terminal on, the person is told so plainly, and how to get one.
#pragma once

#include <QApplication>
#include <memory>

namespace qtview {

// Whether a display is named, for Qt to connect to.
bool HasDisplay();
// Null when there is no display; the message has been written to stderr.
std::unique_ptr<QApplication> CreateDesktopApplication(int& argc, char** argv);

}  // namespace qtview
