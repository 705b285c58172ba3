#include "ui/comparedialog.h"

#include "plist/plistdiff.h"
#include "state/launcherstate.h"
#include "ui/changetree.h"
#include "ui/profilewindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

CompareDialog::CompareDialog(LauncherState& state, const Profile& profile, QWidget* parent)
    : QDialog(parent), m_state(state), m_profile(profile), m_other(new QComboBox(this)),
      m_summary(new QLabel(this)), m_changes(new ChangeTree(this))
{
    setWindowTitle(tr("Compare \u201C%1\u201D").arg(profile.name()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_other->addItem(tr("Pelvaro's current preferences"));
    for (const Profile& other : m_state.profiles()) {
        if (other.url != profile.url)
            m_other->addItem(other.name(), other.url);
    }
    form->addRow(tr("Compare with:"), m_other);
    layout->addLayout(form);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    layout->addWidget(m_changes, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    profile_window::closeWhenUnlisted(*this, m_state, m_profile.url);
    connect(m_other, &QComboBox::currentIndexChanged, this, &CompareDialog::compare);
    resize(720, 420);
    compare();
}

void CompareDialog::compare()
{
    const std::optional<PlistDictionary> mine = m_state.settingsOf(m_profile.url);
    const QString otherPath = m_other->currentData().toString();
    const std::optional<PlistDictionary> other =
        otherPath.isEmpty()
            ? std::optional(m_state.readPreferencesDomain().value_or(PlistDictionary()))
            : m_state.settingsOf(otherPath);
    if (!mine || !other) {
        m_changes->setChanges({});
        m_summary->setText(tr("The settings could not be read."));
        return;
    }
    const QList<PlistChange> changes = PlistDiff::compare(*mine, *other);
    m_changes->setChanges(changes);
    m_summary->setText(changes.isEmpty()     ? tr("No differences.")
                       : changes.size() == 1 ? tr("1 difference.")
                                             : tr("%1 differences.").arg(changes.size()));
}
