#pragma once
#include <QWidget>
class LauncherState;
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(LauncherState& state, QWidget* parent = nullptr);
};
