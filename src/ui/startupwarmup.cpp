#include "ui/startupwarmup.h"

#include "ui/dateformatter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

#include <fontconfig/fontconfig.h>
#include <sched.h>

void* StartupWarmUp::run(void* self)
{
    auto* warmUp = static_cast<StartupWarmUp*>(self);
    // Started on another core than the main thread's; from now on it may
    // move wherever a core is free, so that a busy core never holds up
    // what the main thread waits for.
    ::pthread_setaffinity_np(::pthread_self(), sizeof warmUp->m_cores, &warmUp->m_cores);
    // Reading fontconfig's configuration and caches is most of what the
    // first text costs; Qt's own FcInit() then finds it done.
    FcInit();
    warmUp->m_fontconfigLoaded.set_value();
    if (!warmUp->m_guiReadyFuture.get())
        return nullptr;
    // The font database first: the window's first text needs it at once.
    // Then the main thread's work, which its first layout waits for, when
    // it is there already (else once the rest is done); then what the
    // first paint needs.
    QFontDatabase::families();
    const auto runWork = [warmUp] {
        if (const std::function<void()> work = warmUp->m_workFuture.get())
            work();
    };
    const bool workFirst =
        warmUp->m_workFuture.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    if (workFirst)
        runWork();
    QFontMetrics(QApplication::font()).height();
    DateFormatter().format(QDateTime::currentDateTime());
    if (!workFirst)
        runWork();
    return nullptr;
}

StartupWarmUp::StartupWarmUp()
{
    CPU_ZERO(&m_cores);
    if (::sched_getaffinity(0, sizeof m_cores, &m_cores) != 0)
        return;
    cpu_set_t others = m_cores;
    // Only worth it with a core to spare. The helper goes to another core
    // than this thread's: placed beside a busy parent, a new thread can
    // wait there for milliseconds, which is all it would save.
    const int current = ::sched_getcpu();
    if (current >= 0)
        CPU_CLR(current, &others);
    if (CPU_COUNT(&others) == 0)
        return;
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0)
        return;
    ::pthread_attr_setaffinity_np(&attributes, sizeof others, &others);
    m_started = ::pthread_create(&m_thread, &attributes, &StartupWarmUp::run, this) == 0;
    ::pthread_attr_destroy(&attributes);
}

StartupWarmUp::~StartupWarmUp()
{
    if (!m_told)
        m_guiReady.set_value(false);
    if (!m_workHanded)
        m_work.set_value({});
    if (m_started)
        ::pthread_join(m_thread, nullptr);
}

bool StartupWarmUp::waitForFontconfig(std::chrono::milliseconds bound)
{
    return !m_started || m_fontconfigLoadedFuture.wait_for(bound) == std::future_status::ready;
}

void StartupWarmUp::runBeside(std::function<void()> work)
{
    if (m_workHanded)
        return;
    m_workHanded = true;
    m_work.set_value(std::move(work));
}

void StartupWarmUp::guiApplicationReady()
{
    if (m_told)
        return;
    m_told = true;
    m_guiReady.set_value(true);
}
