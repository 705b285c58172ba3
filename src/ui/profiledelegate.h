#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

// Paints a profile row: the name (bold when active, elided in the middle),
// the date, and the push buttons Start, Duplicate, Rename and Delete. The
// buttons are painted, not widgets, so that thousands of rows stay cheap.
class ProfileDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum class Action
    {
        start,
        duplicate,
        rename,
        remove
    };
    static constexpr int rowSpacing = 12;
    static constexpr int verticalPadding = 2;

    explicit ProfileDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where a row's button sits, for hit tests and for tests.
    QRect buttonRect(const QStyleOptionViewItem& option, Action action) const;
    // The opacity the rows are drawn at.
    void setOpacity(qreal opacity) { m_opacity = opacity; }
    qreal opacity() const { return m_opacity; }
    static QString title(Action action);
    static QList<Action> actions();

signals:
    void actionTriggered(ProfileDelegate::Action action, const QModelIndex& index);

private:
    QSize buttonSize(const QStyleOptionViewItem& option, Action action) const;
    QSize measureButton(const QStyleOptionViewItem& option, Action action) const;
    int dateWidth(const QStyleOptionViewItem& option) const;
    void drawDate(QPainter* painter, const QRect& rect, const QString& text,
                  const QFont& font) const;

    // Measured once: every row's date column has this width, and every row's
    // buttons these sizes.
    mutable int m_dateWidth = -1;
    qreal m_opacity = 1.0;
    mutable QList<QSize> m_buttonSizes;
    QPersistentModelIndex m_pressedIndex;
    std::optional<Action> m_pressedAction;
};
