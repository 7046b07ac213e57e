// The result of a helper that can fail, with the reason as a text for the user
// (posix/result.h; docs/conventions.md says when to use it).
#pragma once

#include "core/usertext.h"
#include "posix/result.h"

#include <QString>

namespace eb {

template <typename T = void>
using Result = BasicResult<T, QString>;

// The same for a helper whose reason can reach --json: the text with its English (Said).
template <typename T = void>
using SaidResult = BasicResult<T, Said>;

}  // namespace eb
