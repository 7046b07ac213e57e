// A stand-in for the main window for trying a skin: the same kinds of controls, object names,
// fonts and sizes, laid out as the real window, with a few list entries and a running bar.
#pragma once

#include <QWidget>

#include <memory>

namespace ebtest {

std::unique_ptr<QWidget> makeLookalikeWindow();

}  // namespace ebtest
