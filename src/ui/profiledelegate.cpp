#include "ui/profiledelegate.h"

#include "ui/profilelistmodel.h"
#include "ui/textstyles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

ProfileDelegate::ProfileDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QList<ProfileDelegate::Action> ProfileDelegate::actions()
{
    return {Action::start, Action::duplicate, Action::rename, Action::remove};
}

QString ProfileDelegate::title(Action action)
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

QRect ProfileDelegate::buttonRect(const QStyleOptionViewItem& option, Action action) const
{
    const QRect row = option.rect.adjusted(6, verticalPadding, -6, -verticalPadding);
    int right = row.right() + 1;
    const QList<Action> all = actions();
    for (int i = int(all.size()) - 1; i >= 0; --i) {
        const QSize size = buttonSize(option, all.at(i));
        const QRect rect(right - size.width(), row.top() + (row.height() - size.height()) / 2,
                         size.width(), size.height());
        if (all.at(i) == action)
            return rect;
        right = rect.left() - rowSpacing;
    }
    return {};
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

void ProfileDelegate::drawDate(QPainter* painter, const QRect& rect, const QString& text,
                               const QFont& font) const
{
    // Digits share one width, so that the dates of consecutive rows line up
    // whatever the font does with its digits.
    const QFontMetrics metrics(font);
    int digitWidth = 0;
    int narrowest = std::numeric_limits<int>::max();
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        digitWidth = std::max(digitWidth, metrics.horizontalAdvance(QChar(digit)));
        narrowest = std::min(narrowest, metrics.horizontalAdvance(QChar(digit)));
    }
    painter->setFont(font);
    if (narrowest == digitWidth) {
        // The font's own digits are already of one width.
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    int x = rect.left();
    const int baseline = rect.top() + (rect.height() + metrics.ascent() - metrics.descent()) / 2;
    for (const QChar c : text) {
        if (c.isDigit()) {
            const int advance = metrics.horizontalAdvance(c);
            painter->drawText(QPoint(x + (digitWidth - advance) / 2, baseline), QString(c));
            x += digitWidth;
        } else {
            painter->drawText(QPoint(x, baseline), QString(c));
            x += metrics.horizontalAdvance(c);
        }
        if (x > rect.right())
            break;
    }
}

void ProfileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    painter->save();
    painter->setClipRect(option.rect);
    const bool enabled = option.state & QStyle::State_Enabled;
    // Every row has the same background.
    painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
    painter->setOpacity(m_opacity);

    const QRect startButton = buttonRect(option, Action::start);
    const QRect row = option.rect.adjusted(6, verticalPadding, -6, -verticalPadding);
    const int datesWidth = dateWidth(option);
    const QRect dateRect(startButton.left() - rowSpacing - datesWidth, row.top(), datesWidth,
                         row.height());
    const QRect nameRect(row.left(), row.top(),
                         std::max(0, dateRect.left() - rowSpacing - row.left()), row.height());

    QFont nameFont = option.font;
    nameFont.setBold(index.data(ProfileListModel::IsActiveRole).toBool());
    painter->setFont(nameFont);
    painter->setPen(
        option.palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    const QString name = QFontMetrics(nameFont).elidedText(
        index.data(ProfileListModel::NameRole).toString(), Qt::ElideMiddle, nameRect.width());
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, name);

    painter->setPen(text_styles::secondaryColor(widget));
    drawDate(painter, dateRect, index.data(ProfileListModel::DateTextRole).toString(),
             text_styles::callout());

    for (const Action action : actions()) {
        QStyleOptionButton button;
        button.initFrom(widget);
        button.rect = buttonRect(option, action);
        button.text = title(action);
        button.state =
            enabled ? (QStyle::State_Enabled | QStyle::State_Raised) : QStyle::State_None;
        if (enabled && m_pressedIndex == index && m_pressedAction == action)
            button.state |= QStyle::State_Sunken;
        style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
    }
    painter->restore();
}

bool ProfileDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    Q_UNUSED(model);
    if (!(option.state & QStyle::State_Enabled))
        return false;
    const auto hit = [&](const QPoint& position) -> std::optional<Action> {
        for (const Action action : actions()) {
            if (buttonRect(option, action).contains(position))
                return action;
        }
        return std::nullopt;
    };
    auto* view = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(option.widget));
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_pressedAction = hit(mouse->position().toPoint());
        m_pressedIndex = m_pressedAction ? QPersistentModelIndex(index) : QPersistentModelIndex();
        if (view)
            view->viewport()->update(option.rect);
        return m_pressedAction.has_value();
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const std::optional<Action> pressed = m_pressedAction;
        const bool sameRow = m_pressedIndex == index;
        m_pressedAction.reset();
        m_pressedIndex = QPersistentModelIndex();
        if (view)
            view->viewport()->update(option.rect);
        if (pressed && sameRow && hit(mouse->position().toPoint()) == pressed) {
            emit actionTriggered(*pressed, index);
            return true;
        }
        return pressed.has_value();
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (hit(mouse->position().toPoint())) {
            // A quick second click on a button is a second press of it.
            m_pressedAction = hit(mouse->position().toPoint());
            m_pressedIndex = index;
            return true;
        }
        emit actionTriggered(Action::start, index);
        return true;
    }
    default:
        return false;
    }
}
