#pragma once

#include "profiles/profile.h"

#include <QDialog>

class ChangeTree;
class LauncherState;
class QComboBox;
class QLabel;

// A profile against Pelvaro's current preferences or another profile: what
// starting the profile would change, or how two profiles differ.
class CompareDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CompareDialog)

public:
    CompareDialog(LauncherState& state, const Profile& profile, QWidget* parent = nullptr);

    QComboBox* otherChoice() const { return m_other; }
    ChangeTree* changeTree() const { return m_changes; }
    QLabel* summary() const { return m_summary; }

private:
    void compare();

    LauncherState& m_state;
    Profile m_profile;
    QComboBox* m_other;
    QLabel* m_summary;
    ChangeTree* m_changes;
};
