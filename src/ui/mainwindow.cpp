#include "ui/mainwindow.h"
#include "state/launcherstate.h"
#include <QListWidget>
#include <QVBoxLayout>
MainWindow::MainWindow(LauncherState& state, QWidget* parent) : QWidget(parent)
{
    auto* list = new QListWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    auto refill = [list, &state] {
        list->clear();
        for (const Profile& p : state.profiles())
            list->addItem(p.name());
    };
    connect(&state, &LauncherState::profilesChanged, list, refill);
    refill();
}
