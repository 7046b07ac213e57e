#include "core/systemerror.h"

#include "posix/errnotext.h"

namespace eb {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(posix::ErrnoText(error));
}

}  // namespace eb
