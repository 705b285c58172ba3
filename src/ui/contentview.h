#pragma once

#include "profiles/profile.h"

#include <QPointer>
#include <QWidget>

#include <optional>

#include "ui/alertdialog.h"
class FolderSection;
class LauncherState;
class ProfileListSection;
class StatusRow;

// The whole content of the launcher's window. It keeps only the state of
// its dialogs; everything else it shows comes from the LauncherState and
// follows its change signals.
class ContentView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContentView)

public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 520;

    explicit ContentView(LauncherState& state, QWidget* parent = nullptr);

    LauncherState& state() const { return m_state; }
    FolderSection* folderSection() const { return m_folderSection; }
    StatusRow* statusRow() const { return m_statusRow; }
    ProfileListSection* profileListSection() const { return m_profileList; }

    // The dialog fields.
    std::optional<Profile> renameTarget() const { return m_renameTarget; }
    std::optional<Profile> shortcutTarget() const { return m_shortcutTarget; }
    QString renameText() const { return m_renameText; }
    std::optional<Profile> deleteTarget() const { return m_deleteTarget; }
    bool showCreateDialog() const { return m_showCreateDialog; }
    QString createText() const { return m_createText; }

    // The row and status actions that open dialogs.
    void beginRename(const Profile& profile);
    void beginDelete(const Profile& profile);
    void beginCreateShortcut(const Profile& profile);
    void beginQuitAndCreate();
    // The profile's versions, or it beside another profile or Pelvaro's
    // preferences; windows of their own, one at a time.
    void showHistory(const Profile& profile);
    void showComparison(const Profile& profile);
    void showMerge(const Profile& copy);
    QDialog* toolDialog() const { return m_toolDialog; }

    // The dialog on screen, if any.
    AlertDialog* visibleDialog() const { return m_dialog; }

signals:
    void dialogShown(AlertDialog* dialog);

private:
    void openToolDialog(QDialog* dialog);

    enum class DialogKind
    {
        error,
        rename,
        create,
        remove,
        shortcut
    };

    void followErrorMessage();
    void scheduleDialogs();
    void presentDialogs();
    AlertDialog* buildDialog(DialogKind kind);
    void dialogClosed(DialogKind kind, const QString& clicked);

    LauncherState& m_state;
    FolderSection* m_folderSection;
    StatusRow* m_statusRow;
    ProfileListSection* m_profileList;

    std::optional<Profile> m_shortcutTarget;
    std::optional<Profile> m_renameTarget;
    QString m_renameText;
    std::optional<Profile> m_deleteTarget;
    bool m_showCreateDialog = false;
    QString m_createText;

    QPointer<AlertDialog> m_dialog;
    DialogKind m_dialogKind = DialogKind::error;
    QString m_shownError;
    QStringList m_queuedErrors;
    bool m_presentationScheduled = false;
    QPointer<QDialog> m_toolDialog;
};
