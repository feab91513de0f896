#pragma once

#include <functional>

// How a window brings up the program's other windows without knowing their classes. The
// application says what each opening means for the window it hands these to; a window calls
// only those its own commands name.
struct WindowOpeners {
    std::function<void()> calculator;
    std::function<void()> plotter;
    std::function<void()> help;
};
