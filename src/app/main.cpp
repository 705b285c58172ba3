#include "state/launcherstate.h"
#include "ui/appdelegate.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"
#include "ui/qtfolderchooser.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelvaro-launcher"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelvaro Launcher"));
    QApplication::setApplicationVersion(QStringLiteral(PELVARO_LAUNCHER_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.pelvaro.Launcher"));

    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("pelvaro-launcher"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QApplication::installTranslator(&translator);

    LauncherState& state = LauncherState::shared();
    MainWindow window(state);
    QtFolderChooser chooser(&window);
    state.setFolderChooser(&chooser);
    AppDelegate delegate(state, window);
    window.resize(820, 640);
    window.show();
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
