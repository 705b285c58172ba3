#include "ui/startupwarmup.h"

#include "ui/dateformatter.h"

#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>

#include <sched.h>

namespace {

void* warmUp(void*)
{
    // In the order the window needs them.
    QFontDatabase::families();
    QFontMetrics(QApplication::font()).height();
    DateFormatter().format(QDateTime::currentDateTime());
    // A format no plugin claims by name makes the reader ask every image
    // plugin, which loads them all, as reading a style's PNG does.
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    QImageReader(&empty, "png").canRead();
    return nullptr;
}

} // namespace

StartupWarmUp::StartupWarmUp()
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

StartupWarmUp::~StartupWarmUp()
{
    if (m_started)
        ::pthread_join(m_thread, nullptr);
}
