// What the window takes from its surroundings when it starts. The program passes its own folder
// and the real home page draw; tests point the folder at a scratch copy and leave the draw out.
#pragma once

#include "core/homepage.h"

#include <QString>

#include <functional>
#include <optional>

namespace eb {

struct Form1Startup {
    // Where the skin, the pointers and the help page lie; empty: the program folder.
    QString programFolder;
    // The home page draw of the start-up; none: no draw.
    std::optional<HomePageDraw> homePageDraw;
    // The desktop's path as the platform names it (the default output folder without its final
    // "/"); unset: the platform's desktop folder.
    std::function<QString()> desktopPath;
};

}  // namespace eb
