// The start-up floor: a bare Qt Widgets window, shown and painted once; it
// reports its first paint the way the launcher does. With --text it shows
// one line of text, which loads the font database.

#include "ui/firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    if (QCoreApplication::arguments().contains(QStringLiteral("--text")))
        new QLabel(QStringLiteral("Pelvaro is not running"), &window);
    window.resize(820, 640);
    first_paint::reportThenQuit(window);
    window.show();
    return QApplication::exec();
}
