#include "core/systemerror.h"

#include "core/usertext.h"
#include "posix/errnotext.h"

namespace eb {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(EnglishTexts::active() ? posix::EnglishErrnoText(error)
                                                         : posix::ErrnoText(error));
}

}  // namespace eb
