#include "ui/profilelistaccessible.h"

#include "ui/profilelistmodel.h"
#include "ui/profilelistview.h"

#include <QMetaEnum>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWindow>

namespace {

// One row: a list item with the row's actions.
class ProfileRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    ProfileRowAccessible(ProfileListView* view, int row) : m_view(view), m_row(row) {}

    bool isValid() const override
    {
        return m_view && m_view->model() && m_row < m_view->model()->rowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
            return index().data(ProfileListModel::NameRole).toString();
        case QAccessible::Description: {
            const QString date = index().data(ProfileListModel::DateTextRole).toString();
            // Sighted users see it in bold.
            if (index().data(ProfileListModel::IsActiveRole).toBool())
                return ProfileListAccessible::tr("%1, in use by Pelvaro").arg(date);
            return date;
        }
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect row = m_view->visualRect(index());
        return QRect(m_view->viewport()->mapToGlobal(row.topLeft()), row.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.selectable = true;
        state.focused = m_view->hasFocus() && m_view->currentIndex() == index();
        state.selected = m_view->currentIndex() == index();
        state.disabled = !m_view->isEnabled();
        state.invisible = !m_view->isVisible() ||
                          !m_view->viewport()->rect().intersects(m_view->visualRect(index()));
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    // Scripts and screen readers call actions by these names, whatever the
    // language; the menu's titles are the localized names.
    QStringList actionNames() const override
    {
        QStringList names;
        if (!isValid() || !m_view->isEnabled())
            return names;
        for (const ProfileDelegate::Action action : ProfileDelegate::menuActions(index()))
            names.append(stableName(action));
        return names;
    }
    QString localizedActionName(const QString& name) const override
    {
        const std::optional<ProfileDelegate::Action> action = actionNamed(name);
        return action ? ProfileDelegate::title(*action, index()) : QString();
    }
    QString localizedActionDescription(const QString& name) const override
    {
        return localizedActionName(name);
    }
    void doAction(const QString& name) override
    {
        if (const std::optional<ProfileDelegate::Action> action = actionNamed(name);
            isValid() && action)
            m_view->trigger(*action, index());
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (const std::optional<ProfileDelegate::Action> action = actionNamed(name))
            return {ProfileListView::shortcut(*action).toString(QKeySequence::NativeText)};
        return {};
    }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, 0); }

    static QString stableName(ProfileDelegate::Action action)
    {
        // The enumerator's name, so that it never changes with a title.
        return QString::fromLatin1(
            QMetaEnum::fromType<ProfileDelegate::Action>().valueToKey(int(action)));
    }
    std::optional<ProfileDelegate::Action> actionNamed(const QString& name) const
    {
        for (const ProfileDelegate::Action action : ProfileDelegate::menuActions(index())) {
            if (stableName(action) == name)
                return action;
        }
        return std::nullopt;
    }

    QPointer<ProfileListView> m_view;
    int m_row;
};

QAccessibleInterface* profileListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ProfileListView") && object && object->isWidgetType())
        return new ProfileListAccessible(static_cast<ProfileListView*>(object));
    return nullptr;
}

} // namespace

ProfileListAccessible::ProfileListAccessible(ProfileListView* view)
    : QAccessibleWidget(view, QAccessible::List)
{
    // Rows are named by position: any change of the rows renames them.
    const auto forget = [this] { forgetRows(); };
    if (QAbstractItemModel* model = view->model()) {
        m_connections = {
            QObject::connect(model, &QAbstractItemModel::modelReset, view, forget),
            QObject::connect(model, &QAbstractItemModel::rowsInserted, view, forget),
            QObject::connect(model, &QAbstractItemModel::rowsRemoved, view, forget),
            QObject::connect(model, &QAbstractItemModel::layoutChanged, view, forget),
        };
    }
}

ProfileListAccessible::~ProfileListAccessible()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        QObject::disconnect(connection);
    forgetRows();
}

void ProfileListAccessible::install()
{
    QAccessible::installFactory(profileListFactory);
}

ProfileListView* ProfileListAccessible::view() const
{
    return static_cast<ProfileListView*>(widget());
}

void ProfileListAccessible::forgetRows()
{
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
    m_rows.clear();
}

int ProfileListAccessible::childCount() const
{
    return view()->model() ? view()->model()->rowCount() : 0;
}

QAccessibleInterface* ProfileListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto found = m_rows.constFind(index); found != m_rows.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* row = new ProfileRowAccessible(view(), index);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int ProfileListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    }
    return -1;
}

QAccessibleInterface* ProfileListAccessible::childAt(int x, int y) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* ProfileListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}
