#include "ui/segmentedcontrol.h"

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionFocusRect>

namespace {

// One segment: painted as part of one joined control, the chosen segment
// in the selection colours (a checked push button would look pressed, or
// to some themes disabled).
class SegmentButton : public QPushButton
{
    Q_OBJECT

public:
    enum class Position
    {
        first,
        middle,
        last,
        Only
    };

    SegmentButton(const QString& title, Position position, QWidget* parent)
        : QPushButton(title, parent), m_position(position)
    {
        setCheckable(true);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override
    {
        const QSize title = fontMetrics().size(Qt::TextShowMnemonic, text());
        return {title.width() + 28,
                std::max(title.height() + 10, QPushButton::sizeHint().height())};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal radius = 5;
        const bool roundLeft = m_position == Position::first || m_position == Position::Only;
        const bool roundRight = m_position == Position::last || m_position == Position::Only;
        // Rounded on the outer sides, square where segments join; drawn
        // corner by corner, as path arithmetic costs far more.
        const qreal diameter = radius * 2;
        QPainterPath shape;
        if (roundLeft) {
            shape.moveTo(box.left(), box.top() + radius);
            shape.arcTo(QRectF(box.left(), box.top(), diameter, diameter), 180, -90);
        } else {
            shape.moveTo(box.topLeft());
        }
        if (roundRight) {
            shape.arcTo(QRectF(box.right() - diameter, box.top(), diameter, diameter), 90, -90);
            shape.arcTo(QRectF(box.right() - diameter, box.bottom() - diameter, diameter, diameter),
                        0, -90);
        } else {
            shape.lineTo(box.topRight());
            shape.lineTo(box.bottomRight());
        }
        if (roundLeft)
            shape.arcTo(QRectF(box.left(), box.bottom() - diameter, diameter, diameter), 270, -90);
        else
            shape.lineTo(box.bottomLeft());
        shape.closeSubpath();
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
        QColor fill = palette().color(group, isChecked() ? QPalette::Highlight : QPalette::Button);
        if (!isChecked() && underMouse() && isEnabled())
            fill = fill.lighter(palette().color(QPalette::Button).lightness() > 128 ? 104 : 125);
        if (isDown())
            fill = fill.darker(110);
        painter.fillPath(shape, fill);
        painter.setPen(QPen(palette().color(group, QPalette::Mid), 1));
        painter.drawPath(shape);
        painter.setPen(
            palette().color(group, isChecked() ? QPalette::HighlightedText : QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect().adjusted(3, 3, -3, -3);
            focus.backgroundColor = fill;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }

private:
    Position m_position;
};

// A segment is one of a group of exclusive choices: a radio button to
// screen readers, not a check box.
class SegmentAccessible : public QAccessibleWidget
{
public:
    explicit SegmentAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::RadioButton)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return button()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && button()->isEnabled())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* segmentFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("SegmentButton"))
        return new SegmentAccessible(static_cast<QWidget*>(object));
    if (className == QLatin1String("SegmentedControl"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

} // namespace

SegmentedControl::SegmentedControl(const QStringList& titles, const QString& accessibleName,
                                   QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this))
{
    static const bool accessible = (QAccessible::installFactory(segmentFactory), true);
    Q_UNUSED(accessible);
    setAccessibleName(accessibleName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < titles.size(); ++i) {
        const SegmentButton::Position position = titles.size() == 1 ? SegmentButton::Position::Only
                                                 : i == 0           ? SegmentButton::Position::first
                                                 : i == int(titles.size()) - 1
                                                     ? SegmentButton::Position::last
                                                     : SegmentButton::Position::middle;
        auto* segment = new SegmentButton(titles.at(i), position, this);
        m_group->addButton(segment, i);
        layout->addWidget(segment);
    }
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::segmentChosen);
}

int SegmentedControl::selectedIndex() const
{
    return m_group->checkedId();
}

void SegmentedControl::setSelectedIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

QString SegmentedControl::titleAt(int index) const
{
    QAbstractButton* button = m_group->button(index);
    return button ? button->text() : QString();
}

QAbstractButton* SegmentedControl::segment(int index) const
{
    return m_group->button(index);
}

#include "segmentedcontrol.moc"
