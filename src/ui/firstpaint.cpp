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
    PaintWatcher(QWidget& window, std::function<void()> then)
        : QObject(&window), m_then(std::move(then))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            watched->removeEventFilter(this);
            // The window's paint event comes first in a paint pass; the
            // pass, children and the flush to the screen included, is over
            // when the event loop turns again.
            QTimer::singleShot(0, this, [this] {
                const std::function<void()> then = std::move(m_then);
                deleteLater();
                then();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_then;
    bool m_seen = false;
};

} // namespace

void afterFirstPaint(QWidget& window, std::function<void()> then)
{
    new PaintWatcher(window, std::move(then));
}

void reportThenQuit(QWidget& window, std::function<void()> report)
{
    afterFirstPaint(window, [report = std::move(report)] {
        // The line marks the moment; what the report adds is not part of it.
        std::fputs("first paint\n", stdout);
        std::fflush(stdout);
        if (report) {
            report();
            std::fflush(stdout);
        }
        QCoreApplication::quit();
    });
}

} // namespace first_paint
