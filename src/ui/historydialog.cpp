#include "ui/historydialog.h"

#include "plist/plistdiff.h"
#include "plist/plistreader.h"
#include "state/launcherstate.h"
#include "ui/changetree.h"
#include "ui/profilewindow.h"

#include <QAccessibleWidget>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// Qt gives a splitter's handle no role, which screen readers call
// "unknown": it is the divider it looks like.
QAccessibleInterface* splitterHandleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QSplitterHandle") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    return nullptr;
}

} // namespace

HistoryDialog::HistoryDialog(LauncherState& state, const Profile& profile, QWidget* parent)
    : QDialog(parent), m_state(state), m_profile(profile),
      m_empty(new QLabel(tr("No earlier versions of this profile are kept yet. Each save keeps "
                            "the content it replaces."),
                         this)),
      m_versions(new QListWidget(this)), m_changes(new ChangeTree(this)),
      m_restore(new QPushButton(tr("Restore"), this))
{
    setWindowTitle(tr("History of \u201C%1\u201D").arg(profile.name()));
    auto* layout = new QVBoxLayout(this);
    m_empty->setWordWrap(true);
    layout->addWidget(m_empty);
    static const bool accessibleHandles =
        (QAccessible::installFactory(splitterHandleFactory), true);
    Q_UNUSED(accessibleHandles);
    auto* split = new QSplitter(Qt::Horizontal, this);
    m_versions->setAccessibleName(tr("Versions"));
    split->addWidget(m_versions);
    split->addWidget(m_changes);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    split->setSizes({340, 480});
    split->handle(1)->setAccessibleName(tr("Divider between versions and changes"));
    layout->addWidget(split, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_restore->setToolTip(
        tr("Make this version the profile's content; the current content is kept as a version"));
    buttons->addButton(m_restore, QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    profile_window::closeWhenUnlisted(*this, m_state, m_profile.url);
    connect(m_restore, &QPushButton::clicked, this, &HistoryDialog::restoreSelected);
    connect(m_versions, &QListWidget::currentRowChanged, this, &HistoryDialog::showSelected);
    connect(&m_state, &LauncherState::isPelvaroRunningChanged, this,
            &HistoryDialog::followRunningState);
    connect(&m_state, &LauncherState::activeProfileNameChanged, this,
            &HistoryDialog::followRunningState);
    resize(860, 440);
    reload();
}

void HistoryDialog::reload()
{
    m_history = m_state.versionHistory(m_profile);
    m_versions->clear();
    for (const VersionHistory::Entry& entry : std::as_const(m_history.entries)) {
        const QString when =
            locale().toString(entry.version.savedAt.toLocalTime(), QLocale::ShortFormat);
        if (!entry.settings)
            m_versions->addItem(tr("%1 \u2014 cannot be read").arg(when));
        else if (!entry.changedAfter)
            m_versions->addItem(when);
        else if (*entry.changedAfter == 1)
            m_versions->addItem(tr("%1 \u2014 1 setting changed after it").arg(when));
        else
            m_versions->addItem(tr("%1 \u2014 %2 settings changed after it")
                                    .arg(when, locale().toString(*entry.changedAfter)));
    }
    m_empty->setVisible(m_history.entries.isEmpty());
    if (!m_history.entries.isEmpty())
        m_versions->setCurrentRow(0);
    showSelected();
}

void HistoryDialog::showSelected()
{
    const int row = m_versions->currentRow();
    const bool listed = row >= 0 && row < m_history.entries.size();
    const std::optional<PlistDictionary>& newer = listed ? m_history.replacedBy(row) : std::nullopt;
    // What cannot be read shows no changes, rather than every setting added.
    if (listed && m_history.entries.at(row).settings && newer)
        m_changes->setChanges(PlistDiff::compare(*m_history.entries.at(row).settings, *newer));
    else
        m_changes->setChanges({});
    followRunningState();
}

void HistoryDialog::followRunningState()
{
    // Pelvaro's save-back would overwrite a restore of the profile it runs with.
    const bool inUse = m_state.isPelvaroRunning() &&
                       m_state.activeProfileName() == std::optional(m_profile.fileName());
    const int row = m_versions->currentRow();
    // A version that cannot be read has nothing to restore.
    const bool chosen = row >= 0 && row < m_history.entries.size() &&
                        m_history.entries.at(row).settings.has_value();
    m_restore->setEnabled(chosen && !inUse);
    m_restore->setToolTip(inUse ? tr("Pelvaro is running with this profile; quit it first.")
                                : tr("Make this version the profile's content; the current "
                                     "content is kept as a version"));
}

void HistoryDialog::restoreSelected()
{
    const int row = m_versions->currentRow();
    if (row < 0 || row >= m_history.entries.size())
        return;
    m_state.restoreProfileVersion(m_profile, m_history.entries.at(row).version);
    reload();
}
