#pragma once

#include <QObject>
#include <QString>

// Reports changes of one directory: an entry was added, removed or renamed
// (`write`), or the directory itself was deleted, renamed, or its volume went
// away. Events read together are reported together, on the main thread.
// Destroying the watch closes its descriptor.
class DirectoryWatch : public QObject
{
    Q_OBJECT

public:
    enum Event
    {
        written = 0x1,
        deleted = 0x2,
        renamed = 0x4,
        revoked = 0x8,
    };
    Q_DECLARE_FLAGS(Events, Event)

    using QObject::QObject;

    virtual QString path() const = 0;
    // The underlying descriptor, for diagnostics; -1 once cancelled.
    virtual int descriptor() const = 0;
    // Stops all delivery and closes the descriptor at once.
    virtual void cancel() = 0;

signals:
    void eventsReceived(DirectoryWatch::Events events);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DirectoryWatch::Events)
