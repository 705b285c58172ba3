#pragma once

#include <QMainWindow>

#include <functional>

class ContentView;
class LauncherState;

// The launcher's one window, "Pelvaro Launcher", identified as "main".
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(LauncherState& state, QWidget* parent = nullptr);

    ContentView* contentView() const { return m_content; }
    // Asked instead of closing: closing the window asks the application to
    // quit, and the window stays when the quit is cancelled.
    void setCloseRequestHandler(std::function<void()> handler)
    {
        m_closeRequest = std::move(handler);
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* m_content;
    std::function<void()> m_closeRequest;
};
