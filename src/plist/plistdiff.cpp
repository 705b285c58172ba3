#include "plist/plistdiff.h"

namespace {

QString keyPath(const QString& parent, const QString& key)
{
    return parent.isEmpty() ? key : parent + u'/' + key;
}

QString indexPath(const QString& parent, qsizetype index)
{
    return parent + u'[' + QString::number(index) + u']';
}

void compareValues(const QString& path, const PlistValue& before, const PlistValue& after,
                   QList<PlistChange>& changes);

void compareDictionaries(const QString& path, const PlistDictionary& before,
                         const PlistDictionary& after, QList<PlistChange>& changes)
{
    for (const PlistDictionary::Entry& entry : before.entries()) {
        if (const PlistValue* now = after.find(entry.first))
            compareValues(keyPath(path, entry.first), entry.second, *now, changes);
        else
            changes.append({PlistChange::Kind::removed, keyPath(path, entry.first), entry.second,
                            PlistValue()});
    }
    for (const PlistDictionary::Entry& entry : after.entries()) {
        if (!before.contains(entry.first))
            changes.append(
                {PlistChange::Kind::added, keyPath(path, entry.first), PlistValue(), entry.second});
    }
}

void compareArrays(const QString& path, const PlistArray& before, const PlistArray& after,
                   QList<PlistChange>& changes)
{
    const qsizetype common = std::min(before.size(), after.size());
    for (qsizetype i = 0; i < common; ++i)
        compareValues(indexPath(path, i), before.at(i), after.at(i), changes);
    for (qsizetype i = common; i < before.size(); ++i)
        changes.append(
            {PlistChange::Kind::removed, indexPath(path, i), before.at(i), PlistValue()});
    for (qsizetype i = common; i < after.size(); ++i)
        changes.append({PlistChange::Kind::added, indexPath(path, i), PlistValue(), after.at(i)});
}

void compareValues(const QString& path, const PlistValue& before, const PlistValue& after,
                   QList<PlistChange>& changes)
{
    if (before.type() == after.type()) {
        if (before.type() == PlistValue::Type::dictionary)
            return compareDictionaries(path, before.toDictionary(), after.toDictionary(), changes);
        if (before.type() == PlistValue::Type::array)
            return compareArrays(path, before.toArray(), after.toArray(), changes);
        if (before == after)
            return;
    }
    changes.append({PlistChange::Kind::changed, path, before, after});
}

} // namespace

QList<PlistChange> PlistDiff::compare(const PlistDictionary& before, const PlistDictionary& after)
{
    QList<PlistChange> changes;
    compareDictionaries(QString(), before, after, changes);
    return changes;
}

qsizetype PlistDiff::changedSettings(const PlistDictionary& before, const PlistDictionary& after)
{
    qsizetype count = 0;
    for (const PlistDictionary::Entry& entry : before.entries()) {
        const PlistValue* now = after.find(entry.first);
        if (!now || !(*now == entry.second))
            ++count;
    }
    for (const PlistDictionary::Entry& entry : after.entries()) {
        if (!before.contains(entry.first))
            ++count;
    }
    return count;
}
