#include "ui/contentview.h"

#include "state/launcherstate.h"
#include "ui/alertdialog.h"
#include "ui/comparedialog.h"
#include "ui/foldersection.h"
#include "ui/historydialog.h"
#include "ui/mergedialog.h"
#include "ui/profilelistsection.h"
#include "ui/statusrow.h"

#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

ContentView::ContentView(LauncherState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_folderSection(new FolderSection(state, this)),
      m_statusRow(new StatusRow(state, this)), m_profileList(new ProfileListSection(state, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(20);
    layout->addWidget(m_folderSection);
    layout->addWidget(m_statusRow);
    layout->addWidget(m_profileList, 1);
    setMinimumSize(minimumWidth, minimumHeight);

    connect(m_statusRow, &StatusRow::quitAndNewProfileRequested, this,
            &ContentView::beginQuitAndCreate);
    connect(m_profileList, &ProfileListSection::renameRequested, this, &ContentView::beginRename);
    connect(m_profileList, &ProfileListSection::deleteRequested, this, &ContentView::beginDelete);
    connect(m_profileList, &ProfileListSection::createShortcutRequested, this,
            &ContentView::beginCreateShortcut);
    connect(m_profileList, &ProfileListSection::historyRequested, this, &ContentView::showHistory);
    connect(m_profileList, &ProfileListSection::compareRequested, this,
            &ContentView::showComparison);
    connect(m_profileList, &ProfileListSection::mergeRequested, this, &ContentView::showMerge);
    connect(m_statusRow, &StatusRow::historyRequested, this, [this](const QString& profilePath) {
        if (const std::optional<Profile> profile = m_state.listedProfile(profilePath))
            showHistory(*profile);
    });
    connect(&m_state, &LauncherState::errorMessageChanged, this, &ContentView::followErrorMessage);
    scheduleDialogs();
}

void ContentView::openToolDialog(QDialog* dialog)
{
    if (m_toolDialog)
        m_toolDialog->close();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_toolDialog = dialog;
    dialog->show();
}

void ContentView::showHistory(const Profile& profile)
{
    openToolDialog(new HistoryDialog(m_state, profile, this));
}

void ContentView::showComparison(const Profile& profile)
{
    openToolDialog(new CompareDialog(m_state, profile, this));
}

void ContentView::showMerge(const Profile& copy)
{
    const std::optional<Profile> target = m_state.conflictTarget(copy);
    if (!target)
        return;
    // The state says why when the files cannot be read.
    if (std::optional<ConflictMerge::Plan> plan = m_state.prepareConflictMerge(copy, *target))
        openToolDialog(new MergeDialog(m_state, copy, *target, std::move(*plan), this));
}

void ContentView::followErrorMessage()
{
    // The alert shows one message; one that replaces it while it is open
    // (a failed save-back, say) would be lost when OK clears it.
    const std::optional<QString> message = m_state.errorMessage();
    const bool errorShown = m_dialog && m_dialogKind == DialogKind::error;
    if (errorShown && message && *message != m_shownError)
        m_queuedErrors.append(*message);
    scheduleDialogs();
}

void ContentView::beginRename(const Profile& profile)
{
    m_renameText = profile.name();
    m_renameTarget = profile;
    scheduleDialogs();
}

void ContentView::beginDelete(const Profile& profile)
{
    m_deleteTarget = profile;
    scheduleDialogs();
}

void ContentView::beginCreateShortcut(const Profile& profile)
{
    m_shortcutTarget = profile;
    scheduleDialogs();
}

void ContentView::beginQuitAndCreate()
{
    m_createText.clear();
    m_showCreateDialog = true;
    scheduleDialogs();
}

void ContentView::scheduleDialogs()
{
    // Presented from the event loop, so that an alert caused by a dialog's
    // action opens only after that dialog has closed.
    if (m_presentationScheduled)
        return;
    m_presentationScheduled = true;
    QTimer::singleShot(0, this, &ContentView::presentDialogs);
}

void ContentView::presentDialogs()
{
    m_presentationScheduled = false;
    if (m_dialog)
        return;
    std::optional<DialogKind> kind;
    if (m_state.errorMessage())
        kind = DialogKind::error;
    else if (m_renameTarget)
        kind = DialogKind::rename;
    else if (m_showCreateDialog)
        kind = DialogKind::create;
    else if (m_deleteTarget)
        kind = DialogKind::remove;
    else if (m_shortcutTarget)
        kind = DialogKind::shortcut;
    if (!kind)
        return;
    m_dialog = buildDialog(*kind);
    m_dialogKind = *kind;
    const DialogKind shown = *kind;
    connect(m_dialog, &QDialog::finished, this, [this, shown] {
        AlertDialog* dialog = m_dialog;
        const QString clicked = dialog ? dialog->clickedButton() : QString();
        m_dialog = nullptr;
        if (dialog)
            dialog->deleteLater();
        dialogClosed(shown, clicked);
        scheduleDialogs();
    });
    m_dialog->open();
    emit dialogShown(m_dialog);
}

AlertDialog* ContentView::buildDialog(DialogKind kind)
{
    AlertDialog* dialog = nullptr;
    switch (kind) {
    case DialogKind::error:
        m_shownError = m_state.errorMessage().value_or(QString());
        dialog = new AlertDialog(tr("Error"), m_shownError, this);
        // Return acknowledges the alert.
        dialog->setDefaultButton(dialog->addButton(tr("OK"), AlertDialog::Role::cancel));
        break;
    case DialogKind::rename: {
        dialog =
            new AlertDialog(tr("Rename Profile"),
                            tr("Enter a new name for \"%1\".").arg(m_renameTarget->name()), this);
        QLineEdit* field = dialog->addTextField(tr("New name"), m_renameText);
        connect(field, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_renameText = text; });
        dialog->addButton(tr("Cancel"), AlertDialog::Role::cancel);
        dialog->addButton(tr("Rename"), AlertDialog::Role::plain);
        break;
    }
    case DialogKind::create: {
        dialog = new AlertDialog(
            tr("Quit Pelvaro and Create New Profile"),
            tr("Pelvaro will be quit and its current settings saved as a new profile. "
               "Enter a name for the new profile."),
            this);
        QLineEdit* field = dialog->addTextField(tr("Profile name"), m_createText);
        connect(field, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_createText = text; });
        dialog->addButton(tr("Cancel"), AlertDialog::Role::cancel);
        dialog->addButton(tr("Quit & Create"), AlertDialog::Role::plain);
        break;
    }
    case DialogKind::remove:
        dialog = new AlertDialog(
            tr("Delete Profile"),
            tr("Are you sure you want to delete \"%1\"? This action cannot be undone.")
                .arg(m_deleteTarget->name()),
            this);
        dialog->addButton(tr("Delete"), AlertDialog::Role::destructive);
        // Return, Space and Escape must never delete by surprise.
        dialog->setDefaultButton(dialog->addButton(tr("Cancel"), AlertDialog::Role::cancel));
        break;
    case DialogKind::shortcut:
        dialog = new AlertDialog(
            tr("Create Shortcut"),
            tr("Add \"Pelvaro (%1)\" to your applications menu? It starts Pelvaro with this "
               "profile. Renaming or deleting the profile here changes or removes it too.")
                .arg(m_shortcutTarget->name()),
            this);
        dialog->addButton(tr("Cancel"), AlertDialog::Role::cancel);
        dialog->setDefaultButton(dialog->addButton(tr("Create"), AlertDialog::Role::plain));
        break;
    }
    return dialog;
}

void ContentView::dialogClosed(DialogKind kind, const QString& clicked)
{
    switch (kind) {
    case DialogKind::error:
        m_state.setErrorMessage(std::nullopt);
        // Errors that came while this one was shown follow it, one by one.
        if (!m_queuedErrors.isEmpty())
            m_state.setErrorMessage(m_queuedErrors.takeFirst());
        break;
    case DialogKind::rename: {
        const std::optional<Profile> target = m_renameTarget;
        m_renameTarget.reset();
        if (clicked == tr("Rename") && target)
            m_state.renameProfile(*target, m_renameText);
        break;
    }
    case DialogKind::create:
        m_showCreateDialog = false;
        if (clicked == tr("Quit & Create"))
            m_state.quitPelvaroAndCreateProfile(m_createText);
        break;
    case DialogKind::remove: {
        const std::optional<Profile> target = m_deleteTarget;
        m_deleteTarget.reset();
        if (clicked == tr("Delete") && target)
            m_state.deleteProfile(*target);
        break;
    }
    case DialogKind::shortcut: {
        const std::optional<Profile> target = m_shortcutTarget;
        m_shortcutTarget.reset();
        if (clicked == tr("Create") && target)
            (void)m_state.createShortcut(*target);
        break;
    }
    }
}
