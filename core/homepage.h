// The start-up draw that opens the maker's home page on about one start in a hundred.
//
// The clock, the random source and the opener come in from outside: the program passes the
// real ones, tests pass their own, and a window started without a draw never opens anything.
#pragma once

#include <QString>

#include <functional>

namespace eb {

struct HomePageDraw {
    // Seconds since midnight, the seed of the draw.
    std::function<int()> secondsSinceMidnight;
    // The first number in [0, 1) of a generator seeded with `seed`.
    std::function<double(quint32 seed)> firstDraw;
    // Opens an address with the desktop's default handler and returns without waiting; throws
    // StepError when it cannot be started. Unset: the window opens it through its Prompter.
    std::function<void(const QString& address)> open;
};

// The number that opens the page.
inline constexpr int kHomePageNumber = 7;

// The integer part of r times 100, plus 1: 1..100 for r in [0, 1) (kept in range for any r).
int DrawNumber(double r);

// The build's home page address (ECHOBATCH_HOME_PAGE); when that is empty, the help page that
// lies beside the program, as a file:// address.
QString HomePageAddress(const QString& programFolder);

// Seeds from the clock, draws n and opens `address` when n is 7. True when it opened.
bool MaybeOpenHomePage(const HomePageDraw& draw, const QString& address);

// The program's clock (local time of day) and generator; the opener is left to the window.
HomePageDraw RealHomePageDraw();

}  // namespace eb
