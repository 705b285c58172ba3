#include "ui/changetree.h"

#include "state/valuetext.h"

#include <QEvent>
#include <QHeaderView>

ChangeTree::ChangeTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(3);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    retranslate();
}

void ChangeTree::changeEvent(QEvent* event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange)
        retranslate();
}

void ChangeTree::retranslate()
{
    setHeaderLabels({tr("Setting"), tr("Before"), tr("After")});
    setAccessibleName(tr("Changed settings"));
    setChanges(m_changes);
}

void ChangeTree::setChanges(const QList<PlistChange>& changes)
{
    m_changes = changes;
    clear();
    const QLocale here = locale();
    QList<QTreeWidgetItem*> items;
    items.reserve(changes.size());
    for (const PlistChange& change : changes) {
        const auto [before, after] = ValueText::describeChange(change.before, change.after, here);
        const QString path = ValueText::key(change.path);
        auto* item = new QTreeWidgetItem({path, before, after});
        QString sentence;
        switch (change.kind) {
        case PlistChange::Kind::added:
            item->setText(1, tr("(none)"));
            sentence = tr("%1 added: %2").arg(path, after);
            break;
        case PlistChange::Kind::removed:
            item->setText(2, tr("(none)"));
            sentence = tr("%1 removed, was %2").arg(path, before);
            break;
        case PlistChange::Kind::changed:
            sentence = tr("%1 changed from %2 to %3").arg(path, before, after);
            break;
        }
        // Each cell is named by its own text, under its column's header; the
        // row's sentence describes it.
        for (int column = 0; column < 3; ++column) {
            item->setData(column, Qt::AccessibleDescriptionRole, sentence);
            item->setToolTip(column, item->text(column));
        }
        items.append(item);
    }
    addTopLevelItems(items);
    // Wide enough to read, never so wide that "After" leaves the view.
    for (int column = 0; column < 2; ++column)
        setColumnWidth(column,
                       std::min(sizeHintForColumn(column) + 16, std::max(120, width() / 3)));
}
