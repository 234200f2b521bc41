// picbatch-view's command line.
#pragma once

#include <string>

namespace view {

struct ViewOptions {
    std::string file;        // UTF-8, as given
    std::string screenshot;  // empty: show the picture until the window closes
    int layout = 0;          // 0 natural, 2 fit, 1 and 3 stretched
    int frames = 1;          // frames to animate before the screenshot
    int width = 0;           // client area; 0: the picture's own size
    int height = 0;
};

// Answers false (having printed why) for a command line that is not valid.
bool ParseViewOptions(int argc, char** argv, ViewOptions* options);
void PrintUsage();

}  // namespace view
