// The host's main-thread entry points check their caller in debug builds: a call from a
// worker thread stops the program with the function's name instead of racing the GUI.
#pragma once

namespace bx3 {

// Aborts with a message naming `function` unless called on the main thread.
void ExpectMainThread(const char* function);

}  // namespace bx3

#ifdef NDEBUG
#define BX3_MAIN_THREAD_ONLY() ((void)0)
#else
#define BX3_MAIN_THREAD_ONLY() ::bx3::ExpectMainThread(__func__)
#endif
