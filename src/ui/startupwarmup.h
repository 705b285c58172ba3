#pragma once

#include <pthread.h>

// Loads, on a helper thread, what the first paint of the window needs and
// what is slow to load the first time: the font database (fontconfig), the
// ICU date formats of the user's locale, and the image format plugins that
// Qt's style loads to read its built-in pictures. Meanwhile the main thread
// claims the single instance, reads the profile folder and builds the
// window; when it reaches these, they are cached. Each is documented as
// thread-safe: QFontDatabase, ICU's data caches, and QImageReader, whose
// plugins Qt hands to the main thread. Build it once the GUI application
// exists; the destructor waits for the helper.
class StartupWarmUp
{
public:
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

private:
    pthread_t m_thread{};
    bool m_started = false;
};
