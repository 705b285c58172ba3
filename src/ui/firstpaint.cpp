#include "ui/firstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace first_paint {

namespace {

class PaintWatcher : public QObject
{
public:
    PaintWatcher(QWidget& window, std::function<void()> report)
        : QObject(&window), m_report(std::move(report))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // The window's paint event comes first in a paint pass; the
            // pass, children and the flush to the screen included, is over
            // when the event loop turns again.
            QTimer::singleShot(0, this, [this] {
                if (m_report)
                    m_report();
                std::fputs("first paint\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_report;
    bool m_seen = false;
};

} // namespace

void reportThenQuit(QWidget& window, std::function<void()> report)
{
    new PaintWatcher(window, std::move(report));
}

} // namespace first_paint
