#include "ui/mainwindow.h"

#include "ui/contentview.h"

#include <QCloseEvent>

MainWindow::MainWindow(LauncherState& state, QWidget* parent)
    : QMainWindow(parent), m_content(new ContentView(state, this))
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(tr("Pelvaro Launcher"));
    setCentralWidget(m_content);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closeRequest) {
        QMainWindow::closeEvent(event);
        return;
    }
    event->ignore();
    m_closeRequest();
}
