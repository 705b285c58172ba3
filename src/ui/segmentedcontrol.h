#pragma once

#include <QWidget>

class QButtonGroup;

// A row of joined, exclusive segments at their natural width.
class SegmentedControl : public QWidget
{
    Q_OBJECT

public:
    SegmentedControl(const QStringList& titles, const QString& accessibleName,
                     QWidget* parent = nullptr);

    int selectedIndex() const;
    void setSelectedIndex(int index);
    QString titleAt(int index) const;

signals:
    void segmentChosen(int index);

private:
    QButtonGroup* m_group;
};
