#pragma once

#include "plist/plistdiff.h"

#include <QTreeWidget>

// What changed, one row a setting: its path, the value before and after.
// Rows read as sentences to screen readers ("Theme changed from "dark" to
// "light"").
class ChangeTree final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChangeTree)

public:
    explicit ChangeTree(QWidget* parent = nullptr);

    void setChanges(const QList<PlistChange>& changes);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QList<PlistChange> m_changes;
};
