// The start-up floor: a bare Qt Widgets window, shown, painted once, closed.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(820, 640);
    QTimer::singleShot(0, &window, [&window] {
        window.repaint();
        QTimer::singleShot(0, &QCoreApplication::quit);
    });
    window.show();
    return QApplication::exec();
}
