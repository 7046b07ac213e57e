// The system's text for an error number, as the C library words it in the current locale
// (core/systemerror.h gives the same as a QString).
#pragma once

#include <string>

namespace eb::posix {

std::string ErrnoText(int error);

}  // namespace eb::posix
