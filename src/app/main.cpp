#include "state/launcherstate.h"
#include "ui/mainwindow.h"
#include <QApplication>
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MainWindow window(LauncherState::shared());
    window.show();
    return app.exec();
}
