// Names and lines as echobatch-cli prints them on standard error.
#pragma once

#include <QString>

namespace eb {

// The text with bytes that are not UTF-8 escaped ("\xff") always, and with control characters
// escaped too when standard error is a terminal (as ls does), so a crafted name can neither
// rewrite what the user sees nor be mistaken for another.
QString ShownName(const QString& text);

}  // namespace eb
