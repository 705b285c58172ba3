#pragma once

#include <pthread.h>
#include <sched.h>

#include <future>

// Loads, on a helper thread, what the first paint of the window needs and
// what is slow to load the first time: fontconfig's configuration and
// caches, the font database and the ICU date formats of the user's locale.
// Meanwhile the main thread builds the GUI application, claims the single
// instance, reads the profile folder and builds the window; when it reaches
// these, they are loaded. Each is documented as thread-safe: fontconfig,
// QFontDatabase and ICU's data caches.
//
// Build it before the GUI application and call guiApplicationReady() once
// that exists: fontconfig needs no Qt, the rest does. The destructor waits
// for the helper.
class StartupWarmUp
{
public:
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    void guiApplicationReady();

private:
    static void* run(void* self);

    std::promise<bool> m_guiReady;
    std::future<bool> m_guiReadyFuture = m_guiReady.get_future();
    bool m_told = false;
    cpu_set_t m_cores{};
    pthread_t m_thread{};
    bool m_started = false;
};
