// The runtime's own hidden top-level window. It belongs to the
// user-interface thread and exists so that other threads can ask that
// thread to end the program: they post it kEndProgramRequest with the exit
// code as the first parameter.
#pragma once

#include <cstdint>

#include "runtime/runtime_objects.h"

namespace rt {

inline constexpr uint32_t kEndProgramRequest = 0x83E7;
inline constexpr const char* kMainHiddenWindowClass = "PicbatchRuntimeMain";

class MainHiddenWindow : public WindowObject {
public:
    // Runs on the user-interface thread with the requested exit code.
    using EndRequestHandler = void (*)(int32_t exitCode);

    // Registers the window class when needed and creates the window on the
    // calling thread; null when the window cannot be made.
    static MainHiddenWindow* Create(EndRequestHandler onEndRequest);
    // Destroys the native window (on the thread that made it).
    ~MainHiddenWindow() override;

    // The class registration Create makes once; undone at the end of the
    // program (the marker of platform facility 1).
    static bool RegisterWindowClass();
    static void UnregisterWindowClass(intptr_t marker);

    // What the window does with kEndProgramRequest by default: the full
    // clean-up on this thread and the end of the process, unless the
    // clean-up is already under way (then the thread running it ends the
    // process when done).
    static void EndProgram(int32_t exitCode);

private:
    explicit MainHiddenWindow(EndRequestHandler onEndRequest) : onEndRequest_(onEndRequest) {}
    static intptr_t Procedure(void* hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

    EndRequestHandler onEndRequest_;
};

}  // namespace rt
