#include "filelist/listediting.h"

namespace eb {

int ReorderScrollTarget(int screenY, int hit, int count) {
    if (screenY < kScrollUpBelowY)
        return hit >= 2 ? hit - 1 : 0;
    if (screenY > kScrollDownAboveY && count >= hit + 1)
        return hit + 1;
    return 0;
}

}  // namespace eb
