// An embedded control's library for the clean-up tests: registering and
// unregistering are reported to whatever recorder the test installed.
#include <cstdint>
#include <cstring>

namespace {

void (*g_recorder)(const char* what, const char* name) = nullptr;

void Record(const char* what, const char* name) {
    if (g_recorder)
        g_recorder(what, name);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void PicbatchTestSetRecorder(
    void (*recorder)(const char* what, const char* name)) {
    g_recorder = recorder;
}

__attribute__((visibility("default"))) int32_t PicbatchRegisterControl(const char* name) {
    Record("register", name);
    return std::strcmp(name, "Refused.Control") == 0 ? 1 : 0;
}

__attribute__((visibility("default"))) int32_t PicbatchUnregisterControl(const char* name) {
    Record("unregister", name);
    return 0;
}

}  // extern "C"
