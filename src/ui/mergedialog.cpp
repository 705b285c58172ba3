#include "ui/mergedialog.h"

#include "state/launcherstate.h"
#include "state/valuetext.h"
#include "ui/profilewindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QLabel* valueLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Both sides as Compare shows them: told apart even where they read alike.
std::pair<QString, QString> describe(const ConflictMerge::Setting& setting)
{
    if (setting.profileValue && setting.copyValue)
        return ValueText::describeChange(*setting.profileValue, *setting.copyValue);
    const auto one = [](const std::optional<PlistValue>& value) {
        return value ? ValueText::describe(*value) : MergeDialog::tr("(not set)");
    };
    return {one(setting.profileValue), one(setting.copyValue)};
}

} // namespace

MergeDialog::MergeDialog(LauncherState& state, const Profile& copy, const Profile& target,
                         ConflictMerge::Plan plan, QWidget* parent)
    : QDialog(parent), m_state(state), m_plan(std::move(plan)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Merge into \u201C%1\u201D").arg(target.name()));
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(m_plan.differing.isEmpty()
                       ? tr("\u201C%1\u201D holds the same settings as %2. Merging removes it.")
                             .arg(copy.fileName(), target.name())
                       : tr("For each setting that differs, choose the value %1 keeps. Both files' "
                            "settings stay in the history of %1, and the copy is removed.")
                             .arg(target.name()),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* rows = new QWidget(this);
    auto* grid = new QGridLayout(rows);
    const QString profileHeading = target.name();
    const QString copyHeading = tr("Conflicting copy");
    const QStringList headings{tr("Setting"), profileHeading, copyHeading, tr("Keep")};
    for (int column = 0; column < headings.size(); ++column) {
        auto* heading = new QLabel(headings.at(column), rows);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, column);
    }
    const Keep preferred = m_plan.copyIsNewer ? Keep::copy : Keep::profile;
    int row = 1;
    for (const ConflictMerge::Setting& setting : m_plan.differing) {
        auto* key = new QLabel(ValueText::key(setting.key), rows);
        key->setTextFormat(Qt::PlainText);
        grid->addWidget(key, row, 0);
        const auto [profileText, copyText] = describe(setting);
        grid->addWidget(valueLabel(profileText, rows), row, 1);
        grid->addWidget(valueLabel(copyText, rows), row, 2);
        auto* choice = new QComboBox(rows);
        choice->addItem(setting.profileValue ? tr("%1's value").arg(target.name()) : tr("Remove"),
                        int(Keep::profile));
        choice->addItem(setting.copyValue ? tr("The copy's value") : tr("Remove"), int(Keep::copy));
        choice->setCurrentIndex(preferred == Keep::copy ? 1 : 0);
        choice->setAccessibleName(tr("Keep for %1").arg(ValueText::key(setting.key)));
        const auto describe = [](const std::optional<PlistValue>& value) {
            return value ? ValueText::describe(*value) : tr("not set");
        };
        choice->setAccessibleDescription(
            tr("%1: %2; the copy: %3")
                .arg(target.name(), describe(setting.profileValue), describe(setting.copyValue)));
        key->setBuddy(choice);
        grid->addWidget(choice, row, 3);
        m_choices.append(choice);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll, 1);

    QPushButton* mergeButton = m_buttons->addButton(tr("Merge"), QDialogButtonBox::AcceptRole);
    mergeButton->setDefault(true);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &MergeDialog::merge);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A copy or profile renamed or deleted meanwhile is no longer this merge's.
    profile_window::closeWhenUnlisted(*this, m_state, copy.url);
    profile_window::closeWhenUnlisted(*this, m_state, target.url);
    if (!m_choices.isEmpty())
        m_choices.first()->setFocus();
    resize(760, 440);
}

ConflictMerge::Choices MergeDialog::chosen() const
{
    ConflictMerge::Choices choices;
    for (qsizetype i = 0; i < m_choices.size(); ++i) {
        const ConflictMerge::Setting& setting = m_plan.differing.at(i);
        const Keep keep = Keep(m_choices.at(i)->currentData().toInt());
        choices.insert(setting.key, keep == Keep::copy ? setting.copyValue : setting.profileValue);
    }
    return choices;
}

void MergeDialog::merge()
{
    // A failure is told by the state's error message; the dialog closes
    // either way, since the files may have changed.
    m_state.mergeConflictCopy(m_plan, chosen());
    accept();
}
