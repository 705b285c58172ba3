#include "ui/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

namespace {

class NotificationAccessible final : public QAccessibleWidget
{
public:
    explicit NotificationAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<QLabel*>(widget())->text() : QString();
    }
};

QAccessibleInterface* announcementFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Announcement") && object && object->isWidgetType())
        return new NotificationAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

Announcement::Announcement(const QString& news, QWidget* parent) : QLabel(news, parent)
{
    static const bool accessible = (QAccessible::installFactory(announcementFactory), true);
    Q_UNUSED(accessible);
    // Present for screen readers, a pixel and transparent for the eye.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setGeometry(0, 0, 1, 1);
}

Announcer::Announcer(QWidget* parent) : QObject(parent), m_parent(parent) {}

// Each piece stays its while: one that followed at once would otherwise
// take the earlier away before a screen reader has read it.
void Announcer::announce(const QString& news)
{
    auto* announcement = new Announcement(news, m_parent);
    announcement->show();
    QTimer::singleShot(keptMs, announcement, &QObject::deleteLater);
}
