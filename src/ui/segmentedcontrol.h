#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of joined, exclusive segments at their natural width; to screen
// readers a named group of radio buttons.
class SegmentedControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SegmentedControl)

public:
    SegmentedControl(const QStringList& titles, const QString& accessibleName,
                     QWidget* parent = nullptr);

    int selectedIndex() const;
    void setSelectedIndex(int index);
    QString titleAt(int index) const;
    QAbstractButton* segment(int index) const;

signals:
    void segmentChosen(int index);

private:
    QButtonGroup* m_group;
};
