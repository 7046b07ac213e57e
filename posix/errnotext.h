// The system's text for an error number, as the C library words it in the current locale
// (core/systemerror.h gives the same as a QString).
#pragma once

#include <string>

namespace eb::posix {

std::string ErrnoText(int error);

// The same in the C library's own English words, whatever the locale.
std::string EnglishErrnoText(int error);

}  // namespace eb::posix
