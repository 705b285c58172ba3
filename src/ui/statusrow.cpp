#include "ui/statusrow.h"

#include "ui/announcer.h"

#include "state/launcherstate.h"
#include "state/savenotice.h"
#include "ui/symbols.h"
#include "ui/textstyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

RunningIndicator::RunningIndicator(QWidget* parent) : QWidget(parent)
{
    setFixedSize(12, 12);
}

void RunningIndicator::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    update();
}

QColor RunningIndicator::fillColor() const
{
    return m_running ? QColor(0x34, 0xC7, 0x59) : QColor(0xFF, 0x3B, 0x30);
}

void RunningIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fillColor());
    // A 0.5-point border of black at 15 % opacity, drawn inside the edge.
    painter.setPen(QPen(QColor(0, 0, 0, 38), 0.5));
    painter.drawEllipse(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25));
}

StatusRow::StatusRow(LauncherState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_indicator(new RunningIndicator(this)),
      m_statusText(new QLabel(this)),
      m_warning(new QLabel(tr("Pelvaro is already running with an unknown profile."), this)),
      m_quitAndNew(new QPushButton(
          QString(tr("Quit & New Profile")).replace(u'&', QStringLiteral("&&")), this)),
      m_saved(new QLabel(this)), m_history(new QPushButton(tr("History\u2026"), this)),
      m_savedTimer(new QTimer(this)), m_announcer(new Announcer(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_statusText->setFont(text_styles::subheadline());
    m_statusText->setTextFormat(Qt::PlainText);
    m_warning->setFont(text_styles::subheadline());
    followTheme();
    m_quitAndNew->setToolTip(tr("Quit Pelvaro and create a new profile from its current settings"));
    layout->addWidget(m_indicator);
    layout->addWidget(m_statusText);
    layout->addWidget(m_warning);
    m_saved->setFont(text_styles::subheadline());
    m_saved->setTextFormat(Qt::PlainText);
    m_saved->hide();
    m_history->setFlat(true);
    m_history->hide();
    layout->addWidget(m_saved);
    layout->addWidget(m_history);
    layout->addStretch(1);
    m_savedTimer->setSingleShot(true);
    m_savedTimer->setInterval(savedNoticeMs);
    connect(m_savedTimer, &QTimer::timeout, this, [this] {
        // Kept while the way to the history has the keyboard's focus.
        if (m_history->hasFocus())
            return m_savedTimer->start();
        m_saved->hide();
        m_history->hide();
    });
    connect(m_history, &QPushButton::clicked, this, [this] {
        if (const auto summary = m_state.lastSaveSummary())
            emit historyRequested(summary->profilePath);
    });
    connect(&m_state, &LauncherState::lastSaveSummaryChanged, this, &StatusRow::followSaveSummary);
    layout->addWidget(m_quitAndNew);

    connect(m_quitAndNew, &QPushButton::clicked, this, &StatusRow::quitAndNewProfileRequested);
    connect(&m_state, &LauncherState::isPelvaroRunningChanged, this,
            &StatusRow::followRunningState);
    connect(&m_state, &LauncherState::runningPelvaroNameChanged, this,
            &StatusRow::followRunningState);
    connect(&m_state, &LauncherState::pelvaroRunningWithUnknownProfileChanged, this,
            &StatusRow::followRunningState);
    followRunningState();
}

void StatusRow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        followTheme();
}

// The orange of the warning, in a shade that reads on this theme's window,
// and the button's symbol in this theme's button text.
void StatusRow::followTheme()
{
    QPalette orange = m_warning->palette();
    const QColor readable =
        text_styles::readableOn(warningOrange, palette().color(QPalette::Window));
    if (orange.color(QPalette::WindowText) != readable) {
        orange.setColor(QPalette::WindowText, readable);
        m_warning->setPalette(orange);
    }
    m_quitAndNew->setIcon(symbols::squareAndArrowDown(palette().color(QPalette::ButtonText)));
}

void StatusRow::followSaveSummary()
{
    const std::optional<LauncherState::SaveSummary> summary = m_state.lastSaveSummary();
    if (!summary)
        return;
    const QString name =
        file_path::removingExtension(file_path::lastComponent(summary->profilePath));
    m_saved->setText(save_notice::text(*summary, locale()));
    m_history->setAccessibleDescription(tr("The history of %1").arg(name));
    m_saved->show();
    m_history->show();
    m_savedTimer->start();
    m_announcer->announce(m_saved->text());
}

void StatusRow::followRunningState()
{
    const bool running = m_state.isPelvaroRunning();
    m_indicator->setRunning(running);
    m_statusText->setText(
        running ? tr("%1 is running")
                      .arg(m_state.runningPelvaroName().value_or(QStringLiteral("Pelvaro")))
                : tr("Pelvaro is not running"));
    m_warning->setVisible(m_state.pelvaroRunningWithUnknownProfile());
    m_quitAndNew->setEnabled(running);
    // A start or a quit is news; the state found when the window opens is not.
    if (m_saidRunning && *m_saidRunning != running)
        m_announcer->announce(m_statusText->text());
    m_saidRunning = running;
}
