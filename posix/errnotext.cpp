#include "posix/errnotext.h"

#include <clocale>
#include <cstring>

#include <locale.h>
#include <string.h>

namespace eb::posix {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

std::string EnglishErrnoText(int error) {
    static const locale_t kCLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return kCLocale != locale_t{} ? ::strerror_l(error, kCLocale) : std::strerror(error);
}

}  // namespace eb::posix
