#include "ui/appdelegate.h"

#include "state/launcherstate.h"
#include "ui/mainwindow.h"
#include "ui/textstyles.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A menu's title as shown: mnemonic ampersands removed, "&&" kept as "&".
QString shownTitle(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        shown.append(text.at(i));
    }
    return shown;
}

} // namespace

AppDelegate::AppDelegate(LauncherState& state, MainWindow& window, QObject* parent)
    : QObject(parent), m_state(state), m_window(window)
{
    runQuitAlert = [this] { return showQuitAlert(); };
    m_window.setCloseRequestHandler([this] { requestQuit(); });
    buildMenus();
}

void AppDelegate::buildMenus()
{
    QMenu* application = m_window.menuBar()->addMenu(tr("Pelvaro Launcher"));
    application->addAction(tr("About Pelvaro Launcher"), this, &AppDelegate::showAboutPanel);
    application->addSeparator();
    QAction* quit = application->addAction(tr("Quit"), this, &AppDelegate::requestQuit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    quit->setMenuRole(QAction::QuitRole);
}

void AppDelegate::applicationDidFinishLaunching()
{
    // Windows are never merged into tabs here: this desktop has no
    // automatic window tabbing to turn off.
    removeUnwantedMenus(m_window.menuBar());
    m_window.menuBar()->installEventFilter(this);
}

QStringList AppDelegate::removedMenuTitles()
{
    return {QStringLiteral("File"),   QStringLiteral("Edit"),       QStringLiteral("View"),
            QStringLiteral("Ablage"), QStringLiteral("Bearbeiten"), QStringLiteral("Darstellung")};
}

void AppDelegate::removeUnwantedMenus(QMenuBar* menuBar)
{
    if (!menuBar)
        return;
    const QStringList removed = removedMenuTitles();
    const QList<QAction*> snapshot = menuBar->actions();
    for (QAction* item : snapshot) {
        if (removed.contains(shownTitle(item->text())))
            menuBar->removeAction(item);
    }
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ActionAdded) {
        // Removed on a later turn, after the addition has been handled.
        QPointer<QMenuBar> menuBar = qobject_cast<QMenuBar*>(watched);
        QPointer<AppDelegate> self = this;
        QTimer::singleShot(0, this, [menuBar, self] {
            if (self && menuBar)
                removeUnwantedMenus(menuBar);
        });
    }
    return QObject::eventFilter(watched, event);
}

bool AppDelegate::applicationShouldTerminate()
{
    if (!m_state.isPelvaroRunning() || m_state.pelvaroRunningWithUnknownProfile())
        return true;
    return runQuitAlert() == firstButtonReturn;
}

void AppDelegate::requestQuit()
{
    if (applicationShouldTerminate())
        QCoreApplication::quit();
}

int AppDelegate::showQuitAlert()
{
    QMessageBox alert(QMessageBox::Warning, tr("Pelvaro is still running."),
                      tr("Pelvaro is still running."), QMessageBox::NoButton, &m_window);
    alert.setInformativeText(
        tr("If you quit Pelvaro Launcher now, it will not save any changes to the "
           "active Pelvaro profile. Do you really want to quit?"));
    QPushButton* quit = alert.addButton(tr("Quit"), QMessageBox::AcceptRole);
    alert.addButton(tr("Don't quit"), QMessageBox::RejectRole);
    alert.setDefaultButton(quit);
    // Wide enough that the question does not wrap into a narrow column.
    if (auto* grid = qobject_cast<QGridLayout*>(alert.layout()))
        grid->addItem(new QSpacerItem(alert.fontMetrics().averageCharWidth() * 60, 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    alert.exec();
    return alert.clickedButton() == quit ? firstButtonReturn : firstButtonReturn + 1;
}

QString AppDelegate::aboutCredits()
{
    return tr(
        "A launcher for managing Pelvaro preference profiles.\n\nCopies the selected profile into "
        "Pelvaro's preferences, launches Pelvaro, and saves any changes back to the profile "
        "when Pelvaro quits.");
}

void AppDelegate::showAboutPanel()
{
    // One panel: asking again brings it forward.
    if (m_about) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    auto* about = new QDialog(&m_window);
    m_about = about;
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowTitle(tr("About Pelvaro Launcher"));
    auto* layout = new QVBoxLayout(about);
    layout->setContentsMargins(24, 20, 24, 16);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        auto* picture = new QLabel(about);
        picture->setObjectName(QStringLiteral("icon"));
        picture->setPixmap(icon.pixmap(64, 64));
        picture->setAlignment(Qt::AlignCenter);
        layout->addWidget(picture);
    }
    auto* name = new QLabel(QApplication::applicationDisplayName(), about);
    name->setFont(text_styles::headline());
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(tr("Version %1").arg(QApplication::applicationVersion()), about);
    version->setAlignment(Qt::AlignCenter);
    auto* credits = new QLabel(aboutCredits(), about);
    credits->setObjectName(QStringLiteral("credits"));
    credits->setFont(text_styles::small());
    credits->setTextFormat(Qt::PlainText);
    credits->setWordWrap(true);
    credits->setAlignment(Qt::AlignCenter);
    credits->setMaximumWidth(340);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, about);
    connect(buttons, &QDialogButtonBox::rejected, about, &QDialog::close);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(credits);
    layout->addWidget(buttons);
    about->show();
    about->raise();
    about->activateWindow();
}
