// PICBATCH_VECTOR_CLONES marks a function whose loops the compiler turns
// into vector code twice, for AVX2 and for the baseline processor, the one
// to run being picked when the library is loaded.
//
// The thread checker cannot run the resolver that picks a clone (it runs
// while the library is relocated, before the checker has started), so its
// builds keep the one baseline version.
#pragma once

#if defined(__SANITIZE_THREAD__)
#define PICBATCH_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PICBATCH_VECTOR_CLONES
#endif
#endif
#ifndef PICBATCH_VECTOR_CLONES
#define PICBATCH_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
