#pragma once

#include "profiles/profile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class DirectoryWatch;
class FileSystem;

// The profile folder as a place: whether it can be used, which profiles it
// holds, and when that changes. Main thread only.
class ProfileFolder final : public QObject
{
    Q_OBJECT

public:
    enum class Access
    {
        usable,
        missing,
        unreadable,
        unwritable,
    };

    explicit ProfileFolder(FileSystem& fileSystem, QObject* parent = nullptr);
    ~ProfileFolder() override;
    Q_DISABLE_COPY_MOVE(ProfileFolder)

    // Whether the folder exists and can be listed and written, tried with a
    // hidden probe file.
    Access checkAccess(const QString& folder) const;
    // Its profiles in display order; empty when it cannot be listed.
    QList<Profile> profiles(const QString& folder) const;

    // Watches `folder` instead of the folder watched so far; none stops.
    void watch(const std::optional<QString>& folder);
    const DirectoryWatch* currentWatch() const { return m_watch.get(); }

    // Listing a large folder again after a batch of its events waits this
    // many times as long as the last listing took, and at least
    // `minimumRestMs`, twice as long with each listing of one burst up to
    // `maximumRestMs`; or for a quiet moment.
    static constexpr int reloadRestFactor = 5;
    static constexpr int minimumRestMs = 40;
    static constexpr int maximumRestMs = 640;
    static constexpr int quietMs = 50;

    // Where the folder is now, asked afresh when the watched one is deleted
    // or renamed; by default the same path.
    void setCurrentFolder(std::function<std::optional<QString>()> currentFolder);

signals:
    // The folder's entries changed, or the folder itself did. Listeners list
    // it again at once: how long they take sets the pace of later reports.
    void contentsChanged();
    void watchChanged();

private:
    // Closes the watch at once and deletes it later, since the watch may be
    // dropped inside its own signal.
    struct WatchDeleter
    {
        void operator()(DirectoryWatch* watch) const;
    };

    void handleEvents(int events);
    void reportChange();

    FileSystem& m_fileSystem;
    std::unique_ptr<DirectoryWatch, WatchDeleter> m_watch;
    std::optional<QString> m_watchedFolder;
    QTimer m_quietTimer;
    QElapsedTimer m_reloadClock;
    qint64 m_reloadCostNs = 0;
    // The rest between listings of the burst under way, in milliseconds.
    int m_restMs = minimumRestMs;
    std::function<std::optional<QString>()> m_currentFolder;
};
