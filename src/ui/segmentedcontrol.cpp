#include "ui/segmentedcontrol.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

SegmentedControl::SegmentedControl(const QStringList& titles, const QString& accessibleName,
                                   QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this))
{
    setAccessibleName(accessibleName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < titles.size(); ++i) {
        auto* segment = new QPushButton(titles.at(i), this);
        segment->setCheckable(true);
        segment->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
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
