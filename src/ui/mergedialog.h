#pragma once

#include "profiles/conflictmerge.h"
#include "profiles/profile.h"

#include <QDialog>

class LauncherState;
class QComboBox;
class QDialogButtonBox;

// Folds a sync client's conflicting copy into its profile: one row for each
// setting that differs, with both values as Compare shows them and a choice
// of which the profile keeps. Merge writes the profile and removes the copy;
// Cancel changes nothing.
class MergeDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MergeDialog)

public:
    // What a row's choice keeps.
    enum class Keep
    {
        profile,
        copy,
    };

    MergeDialog(LauncherState& state, const Profile& copy, const Profile& target,
                ConflictMerge::Plan plan, QWidget* parent = nullptr);

    // One choice per differing setting, in the plan's order.
    const QList<QComboBox*>& choices() const { return m_choices; }
    QDialogButtonBox* buttons() const { return m_buttons; }
    // The choices made, as the merge takes them.
    ConflictMerge::Choices chosen() const;

private:
    void merge();

    LauncherState& m_state;
    ConflictMerge::Plan m_plan;
    QList<QComboBox*> m_choices;
    QDialogButtonBox* m_buttons;
};
