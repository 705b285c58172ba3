#pragma once

#include <QStyledItemDelegate>
#include <QTextLayout>

#include "ui/lookcache.h"

#include <array>
#include <memory>
#include <optional>
#include <tuple>

class QAbstractItemView;
class RowButtonPointer;

// Paints a profile row: the name (bold when active, elided in the middle),
// the date, and the push buttons Start, Duplicate, Rename and Delete. The
// buttons are painted, not widgets, so that thousands of rows stay cheap;
// RowButtonPointer makes them behave as push buttons do.
class ProfileDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileDelegate)

public:
    enum class Action
    {
        start,
        duplicate,
        rename,
        remove,
        // In the row's menu, by key and for screen readers; not painted.
        history,
        compare,
        createShortcut,
        // Only on a sync client's conflicting copy whose profile is listed.
        mergeInto
    };
    Q_ENUM(Action)
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
    QRect nameRect(const QStyleOptionViewItem& option) const;
    QRect dateRect(const QStyleOptionViewItem& option) const;
    // Follows the view's mouse beyond the rows (releases, leaving) and
    // its changes of style, font and language.
    void attach(QAbstractItemView* view);
    // Sizes measured for another font, style or language are measured again.
    void invalidateMeasurements();
    bool isPressed(const QModelIndex& index, Action action) const;
    bool isHovered(const QModelIndex& index, Action action) const;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // The opacity the rows are drawn at.
    void setOpacity(qreal opacity) { m_opacity = opacity; }
    qreal opacity() const { return m_opacity; }
    // The action's title; the row's, where it names another profile.
    static QString title(Action action, const QModelIndex& index = {});
    // The row's painted buttons.
    static QList<Action> actions();
    // Everything the row offers: its buttons, then the rest.
    static QList<Action> menuActions(const QModelIndex& index);

signals:
    void actionTriggered(ProfileDelegate::Action action, const QModelIndex& index);

private:
    // Where the parts of a row sit, in the row's direction.
    struct RowLayout
    {
        QRect name;
        QRect date;
        std::array<QRect, 4> buttons;
    };
    RowLayout layoutRow(const QStyleOptionViewItem& option) const;
    QSize buttonSize(const QStyleOptionViewItem& option, Action action) const;
    QSize measureButton(const QStyleOptionViewItem& option, Action action) const;
    int dateWidth(const QStyleOptionViewItem& option) const;
    const QTextLayout& dateLayout(QPainter* painter, const QRect& rect, const QString& text,
                                  const QFont& font, Qt::LayoutDirection direction) const;
    QPixmap buttonPicture(const QPainter* painter, const QStyleOptionViewItem& option,
                          Action action, QStyle::State state, QSize size) const;
    std::optional<Action> actionAt(const QStyleOptionViewItem& option,
                                   const QPoint& position) const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Measured once: every row's date column has this width, and every row's
    // buttons these sizes.
    mutable int m_dateWidth = -1;
    qreal m_opacity = 1.0;
    mutable QList<QSize> m_buttonSizes;
    // What a row button's picture depends on, beyond its action, state and
    // size.
    struct ButtonLook
    {
        const QStyle* style = nullptr;
        qint64 palette = 0;
        int colorGroup = 0;
        QRgb background = 0;
        QFont font;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        qreal ratio = 1.0;
        bool operator==(const ButtonLook&) const = default;
    };
    // What a date's layout depends on, beyond its text.
    struct DateLook
    {
        QFont font;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int width = 0;
        int dpi = 0;
        bool operator==(const DateLook&) const = default;
    };
    using ButtonKey = std::tuple<int, int, int, int>;
    mutable LookCache<ButtonLook, ButtonKey, QPixmap> m_buttonPictures{64};
    mutable LookCache<DateLook, QString, std::unique_ptr<QTextLayout>> m_dateLayouts{512};
    RowButtonPointer* m_pointer;
};
