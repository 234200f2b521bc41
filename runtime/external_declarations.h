// The external routines an application declares: one record per routine,
// numbered from 0 in table order. RtCallExternal(n, argCount, args) binds
// routine n on first use and calls it.
//
// Every bindable platform routine has the shape
//     extern "C" uintptr_t Name(uintptr_t a1, ..., uintptr_t aN);
// so a call passes N words (pointers and handles whole, 32-bit values
// zero- or sign-extended, a float as its bit pattern in the low word) and
// gets one word back.
#pragma once

#include <cstdint>

namespace rt {

struct ExternalDeclaration {
    // Library file name; empty means "one of the system libraries". A name
    // containing ':' or '/' is loaded as given.
    const char* library;
    // Routine name, or "#n" for ordinal n (taken modulo 65536).
    const char* routine;
    // Number of argument words the routine takes; a call with another count
    // raises runtime error 6.
    uint32_t argumentCount;
};

// Installs the application's declaration table (kept by reference: it lives
// as long as the program). Called by the start-up code before the first
// external call.
void SetExternalDeclarations(const ExternalDeclaration* table, uint32_t count);

}  // namespace rt
