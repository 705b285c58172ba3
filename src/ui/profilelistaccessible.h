#pragma once

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>

class ProfileListView;

// What screen readers see of the profile list: a list whose items are the
// rows, each named after its profile, described by its date, and offering
// the row's four actions (Start, Duplicate, Rename, Delete) by those names.
// The buttons are painted, so Qt's own list items would offer none of them.
class ProfileListAccessible final : public QAccessibleWidget
{
    Q_DECLARE_TR_FUNCTIONS(ProfileListAccessible)

public:
    explicit ProfileListAccessible(ProfileListView* view);
    ~ProfileListAccessible() override;

    // Installs the factory that gives every ProfileListView this interface.
    static void install();

    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    ProfileListView* view() const;
    void forgetRows();

    mutable QHash<int, QAccessible::Id> m_rows;
    QList<QMetaObject::Connection> m_connections;
};
