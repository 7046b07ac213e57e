// Rules of the list's reorder gesture that do not need the window.
#pragma once

namespace eb {

// The screen rows that decide the scrolling after a swap: above the first the entry above the
// swapped one is brought into view, below the second the entry beneath it.
inline constexpr int kScrollUpBelowY = 305;
inline constexpr int kScrollDownAboveY = 364;

// After a swap at the 1-based position `hit` of a list of `count` entries, with the pointer at
// the screen row `screenY`: the 1-based entry to bring into view, or 0 for none.
int ReorderScrollTarget(int screenY, int hit, int count);

}  // namespace eb
