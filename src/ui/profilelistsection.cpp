#include "ui/profilelistsection.h"

#include "state/launcherstate.h"
#include "ui/emptystatebox.h"
#include "ui/profiledelegate.h"
#include "ui/profilelistaccessible.h"
#include "ui/profilelistmodel.h"
#include "ui/profilelistview.h"
#include "ui/textstyles.h"

#include <QEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

ProfileListSection::ProfileListSection(LauncherState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_model(new ProfileListModel(state, this)),
      m_delegate(new ProfileDelegate(this)), m_list(new ProfileListView(this)),
      m_empty(new EmptyStateBox(this)), m_content(new QStackedWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* heading = new QLabel(tr("Profile List"), this);
    heading->setFont(text_styles::headline());
    layout->addWidget(heading);
    static const bool accessibleRows = (ProfileListAccessible::install(), true);
    Q_UNUSED(accessibleRows);

    // The model comes last: each of these settings lays out all rows again
    // once there are rows.
    m_list->setItemDelegate(m_delegate);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAlternatingRowColors(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setFrameShape(QFrame::StyledPanel);
    m_list->setMouseTracking(true);
    m_list->setModel(m_model);
    m_list->setMinimumHeight(220);
    m_list->setAccessibleName(tr("Profiles"));
    heading->setBuddy(m_list);
    m_delegate->attach(m_list);
    m_content->addWidget(m_list);
    m_content->addWidget(m_empty);
    layout->addWidget(m_content, 1);

    const auto act = [this](ProfileDelegate::Action action, const QModelIndex& index) {
        const Profile profile = m_model->profileAt(index.row());
        switch (action) {
        case ProfileDelegate::Action::start:
            m_state.startProfile(profile);
            break;
        case ProfileDelegate::Action::duplicate:
            m_state.duplicateProfile(profile);
            break;
        case ProfileDelegate::Action::rename:
            emit renameRequested(profile);
            break;
        case ProfileDelegate::Action::remove:
            emit deleteRequested(profile);
            break;
        case ProfileDelegate::Action::history:
            emit historyRequested(profile);
            break;
        case ProfileDelegate::Action::compare:
            emit compareRequested(profile);
            break;
        case ProfileDelegate::Action::createShortcut:
            emit createShortcutRequested(profile);
            break;
        case ProfileDelegate::Action::mergeInto:
            emit mergeRequested(profile);
            break;
        }
    };
    connect(m_delegate, &ProfileDelegate::actionTriggered, this, act);
    connect(m_list, &ProfileListView::actionRequested, this, act);
    connect(&m_state, &LauncherState::profilesChanged, this, &ProfileListSection::followProfiles);
    connect(&m_state, &LauncherState::isPelvaroRunningChanged, this,
            &ProfileListSection::followRunningState);
    // The empty box's text depends on whether there is a folder at all.
    connect(&m_state, &LauncherState::folderModeChanged, this, &ProfileListSection::followProfiles);
    connect(&m_state, &LauncherState::folderAccessStatusChanged, this,
            &ProfileListSection::followProfiles);
    connect(&m_state, &LauncherState::customFolderPathChanged, this,
            &ProfileListSection::followProfiles);
    followProfiles();
    followRunningState();
}

void ProfileListSection::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The list's background is blended from the palette: a new theme needs
    // a new blend, or light text would sit on the old light rows.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        followRunningState();
    if (event->type() == QEvent::LocaleChange)
        m_model->setLocale(locale());
}

QWidget* ProfileListSection::content() const
{
    return m_content;
}

bool ProfileListSection::showsList() const
{
    return m_content->currentWidget() == m_list;
}

qreal ProfileListSection::contentOpacity() const
{
    return m_contentOpacity;
}

void ProfileListSection::followProfiles()
{
    const bool empty = m_state.profiles().isEmpty();
    m_content->setCurrentWidget(empty ? static_cast<QWidget*>(m_empty) : m_list);
    if (empty) {
        m_empty->setText(m_state.currentFolderURL()
                             ? tr("No profile files found in folder.")
                             : tr("Choose a Profile Folder to see available profiles."));
    }
}

void ProfileListSection::followRunningState()
{
    const bool running = m_state.isPelvaroRunning();
    // Disabled, the list loses its focus to the next widget that takes it
    // (the folder choice); the row the user was on gets it back after.
    if (running && m_list->hasFocus())
        m_listHadFocus = true;
    m_content->setEnabled(!running);
    if (!running && m_listHadFocus) {
        m_listHadFocus = false;
        if (window()->isActiveWindow() || !window()->isVisible() || focusWidget())
            m_list->setFocus(Qt::OtherFocusReason);
    }
    m_contentOpacity = running ? dimmedOpacity : 1.0;
    // The rows and the empty box paint themselves at this opacity, and the
    // list's background is the same blend, so the content looks as if drawn
    // at 60 % over the window without an off-screen pass per repaint.
    m_delegate->setOpacity(m_contentOpacity);
    m_empty->setOpacity(m_contentOpacity);
    QPalette palette = this->palette();
    const QColor base = palette.color(QPalette::Base);
    const QColor window = palette.color(QPalette::Window);
    const auto blend = [&](int a, int b) {
        return int(a * m_contentOpacity + b * (1 - m_contentOpacity));
    };
    const QColor blended(blend(base.red(), window.red()), blend(base.green(), window.green()),
                         blend(base.blue(), window.blue()));
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, blended);
    m_list->setPalette(palette);
    m_list->viewport()->update();
}
