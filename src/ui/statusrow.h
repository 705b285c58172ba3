#pragma once

#include <QWidget>

#include <optional>

class LauncherState;
class Announcer;
class QLabel;
class QPushButton;
class QTimer;

// The running indicator: a 12 x 12 circle, green while Pelvaro runs, red
// otherwise, with a thin dark border inside its edge.
class RunningIndicator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunningIndicator)

public:
    explicit RunningIndicator(QWidget* parent = nullptr);
    bool isRunning() const { return m_running; }
    void setRunning(bool running);
    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_running = false;
};

// Whether Pelvaro runs, and the action that quits it to capture a profile.
class StatusRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusRow)

public:
    explicit StatusRow(LauncherState& state, QWidget* parent = nullptr);

    RunningIndicator* indicator() const { return m_indicator; }
    QLabel* statusText() const { return m_statusText; }
    QLabel* warning() const { return m_warning; }
    QPushButton* quitAndNewButton() const { return m_quitAndNew; }
    QLabel* savedNotice() const { return m_saved; }
    QPushButton* historyButton() const { return m_history; }
    Announcer* announcer() const { return m_announcer; }
    // How long the notice of a save-back stays.
    static constexpr int savedNoticeMs = 8000;

    static constexpr QColor warningOrange{0xFF, 0x95, 0x00};

signals:
    void quitAndNewProfileRequested();
    void historyRequested(const QString& profilePath);

protected:
    void changeEvent(QEvent* event) override;

private:
    void followRunningState();
    void followTheme();
    void followSaveSummary();

    LauncherState& m_state;
    RunningIndicator* m_indicator;
    QLabel* m_statusText;
    QLabel* m_warning;
    QPushButton* m_quitAndNew;
    QLabel* m_saved;
    QPushButton* m_history;
    QTimer* m_savedTimer;
    Announcer* m_announcer;
    // What was last said of Pelvaro running; none before the first look.
    std::optional<bool> m_saidRunning;
};
