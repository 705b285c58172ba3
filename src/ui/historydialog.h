#pragma once

#include "profiles/profile.h"
#include "profiles/versionhistory.h"

#include <QDialog>

class ChangeTree;
class LauncherState;
class QLabel;
class QListWidget;
class QPushButton;

// A profile's kept versions, newest first, each with its time and how many
// settings the save after it changed; the selected one's changes; and
// Restore, which makes it the profile's content again.
class HistoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryDialog)

public:
    HistoryDialog(LauncherState& state, const Profile& profile, QWidget* parent = nullptr);

    QListWidget* versionList() const { return m_versions; }
    ChangeTree* changeTree() const { return m_changes; }
    QPushButton* restoreButton() const { return m_restore; }

private:
    void reload();
    void showSelected();
    void followRunningState();
    void restoreSelected();

    LauncherState& m_state;
    Profile m_profile;
    VersionHistory m_history;
    QLabel* m_empty;
    QListWidget* m_versions;
    ChangeTree* m_changes;
    QPushButton* m_restore;
};
