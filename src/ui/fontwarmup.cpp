#include "ui/fontwarmup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

#include <sched.h>

namespace {

void* warmUp(void*)
{
    QFontDatabase::families();
    QFontMetrics(QApplication::font()).height();
    return nullptr;
}

} // namespace

FontWarmUp::FontWarmUp()
{
    cpu_set_t others;
    CPU_ZERO(&others);
    if (::sched_getaffinity(0, sizeof others, &others) != 0)
        return;
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
    m_started = ::pthread_create(&m_thread, &attributes, warmUp, nullptr) == 0;
    ::pthread_attr_destroy(&attributes);
}

FontWarmUp::~FontWarmUp()
{
    if (m_started)
        ::pthread_join(m_thread, nullptr);
}
