#pragma once

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <functional>
#include <future>

// Loads, on a helper thread, what the first paint of the window needs and
// what is slow to load the first time: fontconfig's configuration and
// caches, the font database and the ICU date formats of the user's locale.
// Meanwhile the main thread builds the GUI application, claims the single
// instance, reads the profile folder and builds the window; when it reaches
// these, they are loaded. Each is documented as thread-safe: fontconfig,
// QFontDatabase and ICU's data caches. The helper can also take one piece
// of the main thread's own work (the order of the first listing), since it
// is otherwise idle while the window is built.
//
// Build it before the GUI application and call guiApplicationReady() once
// that exists: fontconfig needs no Qt, the rest does. Call
// waitForFontconfig() before the main thread's first text. The destructor
// waits for the helper.
class StartupWarmUp
{
public:
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    void guiApplicationReady();
    // Waits, at most `bound`, until the helper has loaded fontconfig. A
    // thread that asks for a font before then loads all of fontconfig once
    // more itself, on the core the helper needs. False only when the bound
    // ran out; without a helper there is nothing to wait for.
    bool waitForFontconfig(std::chrono::milliseconds bound = std::chrono::seconds(2));
    // Runs `work` on the helper as soon as the font database is loaded;
    // never without a helper, so the work must be one that its owner can
    // finish itself. Once only.
    void runBeside(std::function<void()> work);

private:
    static void* run(void* self);

    std::promise<void> m_fontconfigLoaded;
    std::future<void> m_fontconfigLoadedFuture = m_fontconfigLoaded.get_future();
    std::promise<bool> m_guiReady;
    std::future<bool> m_guiReadyFuture = m_guiReady.get_future();
    bool m_told = false;
    std::promise<std::function<void()>> m_work;
    std::future<std::function<void()>> m_workFuture = m_work.get_future();
    bool m_workHanded = false;
    cpu_set_t m_cores{};
    pthread_t m_thread{};
    bool m_started = false;
};
