// A library that exports routines by name only.
#include <cstdint>

#define EXPORT __attribute__((visibility("default")))

extern "C" EXPORT uintptr_t TestAdd(uintptr_t a, uintptr_t b) {
    return a + b + 1000;
}
