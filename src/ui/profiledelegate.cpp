#include "ui/profiledelegate.h"

#include "ui/datetext.h"
#include "ui/profilelistmodel.h"
#include "ui/rowbuttonpointer.h"
#include "ui/textstyles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <array>

ProfileDelegate::ProfileDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      m_pointer(new RowButtonPointer(
          [this](const QStyleOptionViewItem& option, const QPoint& position) {
              const std::optional<Action> action = actionAt(option, position);
              return action ? std::optional(int(*action)) : std::nullopt;
          },
          this))
{
    connect(m_pointer, &RowButtonPointer::buttonTriggered, this,
            [this](int button, const QModelIndex& index) {
                emit actionTriggered(Action(button), index);
            });
    connect(m_pointer, &RowButtonPointer::rowDoubleClicked, this,
            [this](const QModelIndex& index) { emit actionTriggered(Action::start, index); });
}

QList<ProfileDelegate::Action> ProfileDelegate::actions()
{
    return {Action::start, Action::duplicate, Action::rename, Action::remove};
}

QList<ProfileDelegate::Action> ProfileDelegate::menuActions(const QModelIndex& index)
{
    QList<Action> all = actions() + QList{Action::history, Action::compare, Action::createShortcut};
    if (!index.data(ProfileListModel::MergeTargetRole).toString().isEmpty())
        all.append(Action::mergeInto);
    return all;
}

QString ProfileDelegate::title(Action action, const QModelIndex& index)
{
    switch (action) {
    case Action::start:
        return tr("Start");
    case Action::duplicate:
        return tr("Duplicate");
    case Action::rename:
        return tr("Rename");
    case Action::remove:
        return tr("Delete");
    case Action::history:
        return tr("History…");
    case Action::compare:
        return tr("Compare…");
    case Action::createShortcut:
        return tr("Create Shortcut…");
    case Action::mergeInto:
        return tr("Merge into %1…").arg(index.data(ProfileListModel::MergeTargetRole).toString());
    }
    return {};
}

QSize ProfileDelegate::buttonSize(const QStyleOptionViewItem& option, Action action) const
{
    if (m_buttonSizes.isEmpty()) {
        for (const Action each : actions())
            m_buttonSizes.append(measureButton(option, each));
    }
    return m_buttonSizes.at(int(action));
}

QSize ProfileDelegate::measureButton(const QStyleOptionViewItem& option, Action action) const
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QStyleOptionButton button;
    button.fontMetrics = option.fontMetrics;
    button.text = title(action);
    const QSize text = option.fontMetrics.size(Qt::TextShowMnemonic, button.text);
    return style->sizeFromContents(QStyle::CT_PushButton, &button, text, widget)
        .expandedTo(QSize(0, text.height() + 8));
}

int ProfileDelegate::dateWidth(const QStyleOptionViewItem& option) const
{
    // Wide enough for a long date in this locale, so columns line up.
    if (m_dateWidth < 0) {
        const QString sample =
            ProfileListModel::dateText(QDateTime(QDate(2000, 12, 28), QTime(23, 58)));
        m_dateWidth = QFontMetrics(text_styles::callout()).horizontalAdvance(sample) +
                      option.fontMetrics.averageCharWidth() * 2;
    }
    return m_dateWidth;
}

ProfileDelegate::RowLayout ProfileDelegate::layoutRow(const QStyleOptionViewItem& option) const
{
    // Laid out left to right, then mirrored as the row's direction asks.
    const QRect row = option.rect.adjusted(6, verticalPadding, -6, -verticalPadding);
    RowLayout layout;
    int right = row.right() + 1;
    const QList<Action> all = actions();
    for (int i = int(all.size()) - 1; i >= 0; --i) {
        const QSize size = buttonSize(option, all.at(i));
        layout.buttons[size_t(i)] =
            QRect(right - size.width(), row.top() + (row.height() - size.height()) / 2,
                  size.width(), size.height());
        right = layout.buttons[size_t(i)].left() - rowSpacing;
    }
    const int width = dateWidth(option);
    layout.date = QRect(right - width, row.top(), width, row.height());
    layout.name = QRect(row.left(), row.top(),
                        std::max(0, layout.date.left() - rowSpacing - row.left()), row.height());
    const auto mirrored = [&](QRect& rect) {
        rect = QStyle::visualRect(option.direction, option.rect, rect);
    };
    mirrored(layout.name);
    mirrored(layout.date);
    for (QRect& button : layout.buttons)
        mirrored(button);
    return layout;
}

QRect ProfileDelegate::buttonRect(const QStyleOptionViewItem& option, Action action) const
{
    return layoutRow(option).buttons[size_t(action)];
}

QRect ProfileDelegate::dateRect(const QStyleOptionViewItem& option) const
{
    return layoutRow(option).date;
}

QRect ProfileDelegate::nameRect(const QStyleOptionViewItem& option) const
{
    return layoutRow(option).name;
}

QSize ProfileDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(index);
    int width = 6 + 120 + rowSpacing + dateWidth(option);
    int height = option.fontMetrics.height();
    for (const Action action : actions()) {
        const QSize size = buttonSize(option, action);
        width += rowSpacing + size.width();
        height = std::max(height, size.height());
    }
    return {width + 6, height + 2 * verticalPadding + 4};
}

void ProfileDelegate::invalidateMeasurements()
{
    m_dateWidth = -1;
    m_buttonSizes.clear();
    // A language change keeps the look but changes the titles.
    m_buttonPictures.clear();
    m_dateLayouts.clear();
    emit sizeHintChanged(QModelIndex());
}

const QTextLayout& ProfileDelegate::dateLayout(QPainter* painter, const QRect& rect,
                                               const QString& text, const QFont& font,
                                               Qt::LayoutDirection direction) const
{
    // Rows repainted on hover and while scrolling, and rows saved in the
    // same second, show the same date: each is laid out once.
    QPaintDevice* device = painter->device();
    const DateLook look{font, direction, rect.width(), device ? device->logicalDpiY() : 0};
    return *m_dateLayouts.get(
        look, text, [&] { return DateText::lay(text, font, device, rect.width(), direction); });
}

QPixmap ProfileDelegate::buttonPicture(const QPainter* painter, const QStyleOptionViewItem& option,
                                       Action action, QStyle::State state, QSize size) const
{
    // Every row shows the same four buttons: each look is drawn once and
    // then copied, which keeps the first paint of a long list and scrolling
    // through it cheap (bench_ui, startup-vs-one-line-window).
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QStyleOptionButton button;
    if (widget)
        button.initFrom(widget);
    button.direction = option.direction;
    button.rect = QRect(QPoint(0, 0), size);
    button.state = state;
    // When any of this changes (theme, style, font, screen), all pictures
    // are drawn again.
    const ButtonLook look{style,
                          button.palette.cacheKey(),
                          int(button.palette.currentColorGroup()),
                          option.palette.color(QPalette::Base).rgba(),
                          option.font,
                          option.direction,
                          painter->device() ? painter->device()->devicePixelRatio() : 1.0};
    return m_buttonPictures.get(
        look, ButtonKey(int(action), int(state), size.width(), size.height()), [&] {
            QPixmap picture(size * look.ratio);
            picture.setDevicePixelRatio(look.ratio);
            // On the row's own background, so that text keeps the desktop's
            // antialiasing.
            picture.fill(QColor::fromRgba(look.background));
            QPainter buttonPainter(&picture);
            buttonPainter.setFont(option.font);
            button.text = title(action);
            style->drawControl(QStyle::CE_PushButton, &button, &buttonPainter, widget);
            buttonPainter.end();
            return picture;
        });
}

void ProfileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    painter->save();
    painter->setClipRect(option.rect);
    const bool enabled = option.state & QStyle::State_Enabled;
    // Rows lie on the viewport's own background (the palette's Base), which
    // the view fills before it paints them.
    // Dimmed rows take their normal colours at the lower opacity: the
    // disabled colours at that opacity would be all but unreadable.
    painter->setOpacity(m_opacity);
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;

    const RowLayout layout = layoutRow(option);
    const QRect& name = layout.name;
    QFont nameFont = option.font;
    nameFont.setBold(index.data(ProfileListModel::IsActiveRole).toBool());
    painter->setFont(nameFont);
    painter->setPen(option.palette.color(group, QPalette::Text));
    // A name keeps its start and end; a conflicting copy's description
    // keeps its start, which names the profile and the sync client.
    const Qt::TextElideMode elide = index.data(ProfileListModel::IsConflictCopyRole).toBool()
                                        ? Qt::ElideRight
                                        : Qt::ElideMiddle;
    const QString elided = QFontMetrics(nameFont).elidedText(
        index.data(ProfileListModel::NameRole).toString(), elide, name.width());
    painter->drawText(name, Qt::AlignLeading | Qt::AlignVCenter, elided);

    painter->setPen(text_styles::secondaryColor(widget));
    DateText::draw(painter, layout.date,
                   dateLayout(painter, layout.date,
                              index.data(ProfileListModel::DateTextRole).toString(),
                              text_styles::callout(), option.direction));

    painter->setFont(option.font);
    for (const Action action : actions()) {
        QStyle::State state =
            QStyle::State_Enabled | QStyle::State_Raised | (option.state & QStyle::State_Active);
        if (enabled && isPressed(index, action))
            state |= QStyle::State_Sunken;
        if (enabled && isHovered(index, action))
            state |= QStyle::State_MouseOver;
        const QRect& rect = layout.buttons[size_t(action)];
        painter->drawPixmap(rect.topLeft(),
                            buttonPicture(painter, option, action, state, rect.size()));
    }
    painter->setOpacity(1.0);
    // The current row shows that it has the keyboard: its keys act on it.
    if (enabled && (option.state & QStyle::State_HasFocus)) {
        QStyleOptionFocusRect focus;
        focus.initFrom(widget);
        focus.rect = option.rect.adjusted(1, 1, -1, -1);
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = option.palette.color(group, QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

std::optional<ProfileDelegate::Action> ProfileDelegate::actionAt(const QStyleOptionViewItem& option,
                                                                 const QPoint& position) const
{
    const RowLayout layout = layoutRow(option);
    for (const Action action : actions()) {
        if (layout.buttons[size_t(action)].contains(position))
            return action;
    }
    return std::nullopt;
}

bool ProfileDelegate::isPressed(const QModelIndex& index, Action action) const
{
    return m_pointer->isPressed(index, int(action));
}

bool ProfileDelegate::isHovered(const QModelIndex& index, Action action) const
{
    return m_pointer->isHovered(index, int(action));
}

void ProfileDelegate::attach(QAbstractItemView* view)
{
    m_pointer->attach(view);
    view->installEventFilter(this);
}

bool ProfileDelegate::eventFilter(QObject* watched, QEvent* event)
{
    Q_UNUSED(watched);
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::LocaleChange:
    case QEvent::LanguageChange:
        invalidateMeasurements();
        break;
    default:
        break;
    }
    return false;
}

bool ProfileDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    Q_UNUSED(model);
    return m_pointer->rowEvent(event, option, index);
}

bool ProfileDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // Only over the name, and placed over this row's own name, so that it
    // never covers the buttons of the row below.
    const QRect name = nameRect(option);
    if (!name.contains(event->pos())) {
        QToolTip::hideText();
        return true;
    }
    const QString text = index.data(Qt::ToolTipRole).toString();
    const QPoint above = view->viewport()->mapToGlobal(
        QPoint(event->pos().x(), option.rect.top() - 2 * option.fontMetrics.height()));
    QToolTip::showText(above, text, view->viewport(), name);
    return true;
}
