// The start-up floor: a bare Qt Widgets window, shown, painted once, closed.
// With --text it shows one line of text, which loads the font database.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    if (QCoreApplication::arguments().contains(QStringLiteral("--text")))
        new QLabel(QStringLiteral("Pelvaro is not running"), &window);
    window.resize(820, 640);
    QTimer::singleShot(0, &window, [&window] {
        window.repaint();
        QTimer::singleShot(0, &QCoreApplication::quit);
    });
    window.show();
    return QApplication::exec();
}
