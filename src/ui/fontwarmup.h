#pragma once

#include <pthread.h>

// Loads the font database on a helper thread while the main thread claims
// the single instance and reads the profile folder, so that the first text
// the window lays out does not wait for fontconfig. QFontDatabase is
// thread-safe. Build it once the GUI application exists; the destructor
// waits for the helper.
class FontWarmUp
{
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    pthread_t m_thread{};
    bool m_started = false;
};
