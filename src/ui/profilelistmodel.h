#pragma once

#include "profiles/profile.h"

#include <QAbstractListModel>
#include <QLocale>

#include <memory>

class LauncherState;

// The profiles of the state, one row each. A reload inserts, removes and
// changes rows by their location instead of resetting, so views keep their
// scroll position.
class ProfileListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileListModel)

public:
    enum Role
    {
        ProfileRole = Qt::UserRole + 1,
        NameRole,
        DateTextRole,
        IsActiveRole,
        // For a sync client's conflicting copy whose profile is listed, that
        // profile's name; empty otherwise.
        MergeTargetRole,
        // Whether the row is a sync client's conflicting copy.
        IsConflictCopyRole,
    };

    explicit ProfileListModel(LauncherState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Profile profileAt(int row) const { return m_rows.value(row); }
    // Dates are shown in this locale from now on.
    void setLocale(const QLocale& locale);
    // The abbreviated date with the short time of the locale.
    static QString dateText(const QDateTime& when, const QLocale& locale = QLocale());
    // The profile's name, or for a sync client's conflicting copy, what it
    // is: "Conflicting copy of Work (Syncthing, 7 Dec 2026 10:10)".
    static QString rowName(const Profile& profile, const QLocale& locale = QLocale());

private:
    void followProfiles();
    void followActiveProfile();
    bool isActive(const Profile& profile) const;
    int rowOfFileName(const std::optional<QString>& fileName) const;

    LauncherState& m_state;
    QList<Profile> m_rows;
    std::optional<QString> m_activeProfileName;
    QLocale m_locale;
};
