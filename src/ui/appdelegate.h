#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class LauncherState;
class MainWindow;
class QDialog;
class QMenuBar;

// The application shell: the window and its menu, the about box, and the
// confirmation every way of quitting goes through.
class AppDelegate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppDelegate)

public:
    // The first button of the quit warning, as the alert reports it.
    static constexpr int firstButtonReturn = 1000;

    AppDelegate(LauncherState& state, MainWindow& window, QObject* parent = nullptr);

    void applicationDidFinishLaunching();
    // Removes the top-level menus titled File, Edit or View, in English or
    // German; every other menu stays.
    static void removeUnwantedMenus(QMenuBar* menuBar);
    static QStringList removedMenuTitles();
    // Whether the application may quit now; asks the user when Pelvaro runs
    // with a profile this launcher started.
    bool applicationShouldTerminate();
    void requestQuit();
    void showAboutPanel();
    static QString aboutCredits();

    // Shows the quit warning and returns the button chosen; replaceable so
    // that tests can answer it.
    std::function<int()> runQuitAlert;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int showQuitAlert();
    void buildMenus();

    LauncherState& m_state;
    MainWindow& m_window;
    QPointer<QDialog> m_about;
};
