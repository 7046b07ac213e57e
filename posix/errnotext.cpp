#include "posix/errnotext.h"

#include <cstring>

namespace eb::posix {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

}  // namespace eb::posix
