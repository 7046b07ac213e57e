// The system's text for an error number, for messages built as QStrings.
#pragma once

#include <QString>

namespace eb {

QString ErrnoText(int error);

}  // namespace eb
