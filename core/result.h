// The result of a helper that can fail, with the reason as a text for the user
// (posix/result.h; docs/conventions.md says when to use it).
#pragma once

#include "posix/result.h"

#include <QString>

namespace eb {

template <typename T = void>
using Result = BasicResult<T, QString>;

}  // namespace eb
