#include "standinwindow.h"

#include "platform/preferencesstore.h"

#include <QHeaderView>

namespace {

QString describe(const PlistValue& value)
{
    switch (value.type()) {
    case PlistValue::Type::string:
        return value.toString();
    case PlistValue::Type::integer:
        return value.toInteger().isUnsignedAboveSignedRange
                   ? QString::number(value.toInteger().unsignedValue())
                   : QString::number(value.toInteger().bits);
    case PlistValue::Type::real:
        return QString::number(value.toReal());
    case PlistValue::Type::boolean:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case PlistValue::Type::array:
        return QStringLiteral("(%1 items)").arg(value.toArray().size());
    case PlistValue::Type::dictionary:
        return QStringLiteral("{%1 keys}").arg(value.toDictionary().size());
    case PlistValue::Type::data:
        return QStringLiteral("<%1 bytes>").arg(value.toData().size());
    case PlistValue::Type::date:
        return QStringLiteral("date %1").arg(value.toDate().secondsSinceReference);
    default:
        return {};
    }
}

bool isEditable(const PlistValue& value)
{
    return value.type() == PlistValue::Type::string || value.type() == PlistValue::Type::integer ||
           value.type() == PlistValue::Type::real || value.type() == PlistValue::Type::boolean;
}

} // namespace

StandInWindow::StandInWindow(PreferencesStore& store, const QString& name) : m_store(store)
{
    setWindowTitle(name + u" (stand-in)");
    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Value")});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    resize(480, 360);
    fill();
    connect(this, &QTableWidget::itemChanged, this, &StandInWindow::commit);
}

void StandInWindow::fill()
{
    m_filling = true;
    const QStringList keys = m_store.copyKeyList().value_or(QStringList());
    const PlistDictionary values = m_store.copyMultiple(keys);
    setRowCount(int(keys.size()));
    for (int row = 0; row < keys.size(); ++row) {
        auto* key = new QTableWidgetItem(keys.at(row));
        key->setFlags(key->flags() & ~Qt::ItemIsEditable);
        const PlistValue value = values.value(keys.at(row));
        auto* text = new QTableWidgetItem(describe(value));
        if (!isEditable(value))
            text->setFlags(text->flags() & ~Qt::ItemIsEditable);
        setItem(row, 0, key);
        setItem(row, 1, text);
    }
    m_filling = false;
}

void StandInWindow::commit(QTableWidgetItem* item)
{
    if (m_filling || item->column() != 1)
        return;
    const QString key = this->item(item->row(), 0)->text();
    const PlistValue old = m_store.copyMultiple({key}).value(key);
    const QString text = item->text();
    PlistValue updated;
    bool ok = true;
    switch (old.type()) {
    case PlistValue::Type::integer:
        updated = PlistValue::integer(text.toLongLong(&ok));
        break;
    case PlistValue::Type::real:
        updated = PlistValue(text.toDouble(&ok));
        break;
    case PlistValue::Type::boolean:
        updated = PlistValue(text == u"true" || text == u"1" || text == u"yes");
        break;
    default:
        updated = PlistValue(text);
        break;
    }
    if (!ok) {
        fill();
        return;
    }
    PlistDictionary change;
    change.insert(key, updated);
    m_store.setMultiple(change, {});
}
