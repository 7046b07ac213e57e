// The order in which a file manager shows names: letter case ignored, runs of digits compared
// by their value, so "track2" comes before "track10".
#pragma once

#include <QStringList>
#include <QStringView>

namespace eb {

// Negative, zero or positive as `a` sorts before, with or after `b`. Names that are equal when
// case and leading zeros are ignored ("Song" and "song", "a01" and "a1") are ordered by their
// UTF-16 code units, so zero means the two texts are identical and the order never depends on
// the order the names came in.
int NaturalCompare(QStringView a, QStringView b);

// Sorts the names in that order. Each name is case-folded once, so large lists sort quickly.
void NaturalSort(QStringList& names);

}  // namespace eb
