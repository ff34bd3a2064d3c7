// Loaded into the viewer (LD_PRELOAD) by an end-to-end test: the viewer stops
// itself as its shutdown begins, so that the test can send a signal that
// comes during the shutdown, every time.
#include <dlfcn.h>

#include <csignal>

extern "C" void allegro_exit()
{
    std::raise(SIGSTOP);
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "allegro_exit"))();
}
