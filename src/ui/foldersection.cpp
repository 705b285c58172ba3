#include "ui/foldersection.h"

#include "state/launcherstate.h"
#include "ui/elidedpathlabel.h"
#include "ui/segmentedcontrol.h"
#include "ui/symbols.h"
#include "ui/textstyles.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int defaultPage = 0;
constexpr int customPage = 1;
const QColor okGreen(0x28, 0xA7, 0x45);
const QColor failureRed(0xE0, 0x35, 0x2B);
} // namespace

FolderSection::FolderSection(LauncherState& state, QWidget* parent)
    : QWidget(parent), m_state(state),
      m_picker(
          new SegmentedControl({tr("Default"), tr("Custom folder")}, tr("Folder source"), this)),
      m_folderRow(new QStackedWidget(this)), m_pathField(new QLineEdit(this)),
      m_chooseButton(new QPushButton(tr("Choose\u2026"), this)),
      m_defaultPath(new ElidedPathLabel(this)), m_accessIcon(new QLabel(this)),
      m_accessText(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto* heading = new QLabel(tr("Profile Folder"), this);
    heading->setFont(text_styles::headline());
    layout->addWidget(heading);
    layout->addWidget(m_picker, 0, Qt::AlignLeft);

    auto* customRow = new QWidget(m_folderRow);
    auto* customLayout = new QHBoxLayout(customRow);
    customLayout->setContentsMargins(0, 0, 0, 0);
    customLayout->setSpacing(8);
    m_pathField->setPlaceholderText(tr("Path to profile folder"));
    m_pathField->setAccessibleName(tr("Path to profile folder"));
    m_pathField->setClearButtonEnabled(false);
    customLayout->addWidget(m_pathField, 1);
    customLayout->addWidget(m_chooseButton);
    m_defaultPath->setFont(text_styles::callout());
    // The first page added is shown at once: the plain path, which is
    // cheap to lay out and what most users see.
    m_folderRow->addWidget(m_defaultPath);
    m_folderRow->addWidget(customRow);
    layout->addWidget(m_folderRow);

    auto* accessLine = new QWidget(this);
    auto* accessLayout = new QHBoxLayout(accessLine);
    accessLayout->setContentsMargins(0, 0, 0, 0);
    accessLayout->setSpacing(4);
    m_accessText->setFont(text_styles::caption());
    m_accessText->setTextFormat(Qt::PlainText);
    const int lineHeight = QFontMetrics(text_styles::caption()).height();
    m_accessIcon->setFixedSize(lineHeight, lineHeight);
    accessLine->setFixedHeight(lineHeight + 2);
    accessLayout->addWidget(m_accessIcon);
    accessLayout->addWidget(m_accessText, 1);
    layout->addWidget(accessLine);

    connect(m_picker, &SegmentedControl::segmentChosen, this, [this](int index) {
        m_state.setFolderMode(index == 1 ? FolderMode::custom : FolderMode::defaultFolder);
    });
    connect(m_pathField, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_state.setCustomFolderPath(text); });
    connect(m_pathField, &QLineEdit::returnPressed, this, &FolderSection::submitPath);
    connect(m_chooseButton, &QPushButton::clicked, this, [this] { m_state.chooseCustomFolder(); });

    connect(&m_state, &LauncherState::folderModeChanged, this, &FolderSection::followFolderMode);
    connect(&m_state, &LauncherState::customFolderPathChanged, this,
            &FolderSection::followCustomFolderPath);
    connect(&m_state, &LauncherState::folderAccessStatusChanged, this,
            &FolderSection::followAccessStatus);
    followFolderMode();
    followCustomFolderPath();
    followAccessStatus();
}

bool FolderSection::showsCustomRow() const
{
    return m_folderRow->currentIndex() == customPage;
}

void FolderSection::followFolderMode()
{
    const bool custom = m_state.folderMode() == FolderMode::custom;
    m_picker->setSelectedIndex(custom ? 1 : 0);
    m_folderRow->setCurrentIndex(custom ? customPage : defaultPage);
    const std::optional<QString> folder = m_state.currentFolderURL();
    m_defaultPath->setText(folder && !custom ? QDir::cleanPath(*folder) : QString());
}

void FolderSection::followCustomFolderPath()
{
    if (m_pathField->text() != m_state.customFolderPath())
        m_pathField->setText(m_state.customFolderPath());
}

void FolderSection::followAccessStatus()
{
    const AccessStatus status = m_state.folderAccessStatus();
    const int size = m_accessIcon->height();
    QPalette palette = m_accessText->palette();
    const QColor window = this->palette().color(QPalette::Window);
    switch (status.kind()) {
    case AccessStatus::Kind::untested:
        m_accessIcon->clear();
        m_accessText->setText(QStringLiteral(" "));
        palette.setColor(QPalette::WindowText, this->palette().color(QPalette::WindowText));
        break;
    case AccessStatus::Kind::ok: {
        // Shades that read on this theme's window, still green and red.
        const QColor green = text_styles::readableOn(okGreen, window);
        m_accessIcon->setPixmap(symbols::checkmarkCircleFill(green).pixmap(size, size));
        m_accessText->setText(tr("Read/write access OK"));
        palette.setColor(QPalette::WindowText, green);
        break;
    }
    case AccessStatus::Kind::failure: {
        const QColor red = text_styles::readableOn(failureRed, window);
        m_accessIcon->setPixmap(symbols::xmarkCircleFill(red).pixmap(size, size));
        m_accessText->setText(status.message());
        palette.setColor(QPalette::WindowText, red);
        break;
    }
    }
    m_accessText->setPalette(palette);
}

void FolderSection::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        followAccessStatus();
}

void FolderSection::submitPath()
{
    m_state.checkFolderAccess();
    m_state.reloadProfiles();
    m_state.startFolderMonitor();
}
