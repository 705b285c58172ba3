#pragma once

#include <QLabel>

// Says a short piece of news to screen readers: the outcome of a save-back,
// Pelvaro starting and quitting. A label's new text is never spoken, so the
// news is a notification that appears, which screen readers present as
// such. Sighted users see the same news in the window already; this adds
// nothing to see.
class Announcer final : public QObject
{
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    void announce(const QString& news);

    // How long a piece of news stays for screen readers to read again.
    static constexpr int keptMs = 10000;

private:
    QWidget* m_parent;
};

// One piece of news, a notification of its own: a screen reader that has
// read one never reads a later one from its cache.
class Announcement final : public QLabel
{
    Q_OBJECT

public:
    Announcement(const QString& news, QWidget* parent);
};
