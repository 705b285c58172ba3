#include "ui/profilelistmodel.h"

#include "profiles/conflictcopy.h"
#include "state/launcherstate.h"
#include "ui/dateformatter.h"

#include <QSet>

ProfileListModel::ProfileListModel(LauncherState& state, QObject* parent)
    : QAbstractListModel(parent), m_state(state), m_activeProfileName(state.activeProfileName())
{
    m_rows = state.profiles();
    connect(&m_state, &LauncherState::profilesChanged, this, &ProfileListModel::followProfiles);
    connect(&m_state, &LauncherState::activeProfileNameChanged, this,
            &ProfileListModel::followActiveProfile);
}

int ProfileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Profile& profile = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return rowName(profile, m_locale);
    case IsConflictCopyRole:
        return ConflictCopy::recognise(profile.fileName()).has_value();
    case MergeTargetRole: {
        const std::optional<Profile> target = m_state.conflictTarget(profile);
        return target ? target->name() : QString();
    }
    case Qt::ToolTipRole:
        return profile.fileName();
    case DateTextRole:
        return dateText(profile.modifiedAt, m_locale);
    case IsActiveRole:
        return isActive(profile);
    case ProfileRole:
        return QVariant::fromValue(profile);
    default:
        return {};
    }
}

QHash<int, QByteArray> ProfileListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(NameRole, "name");
    names.insert(DateTextRole, "dateText");
    names.insert(IsActiveRole, "isActive");
    names.insert(ProfileRole, "profile");
    names.insert(MergeTargetRole, "mergeTarget");
    names.insert(IsConflictCopyRole, "isConflictCopy");
    return names;
}

QString ProfileListModel::dateText(const QDateTime& when, const QLocale& locale)
{
    // Opening a formatter costs far more than formatting: the last one is
    // kept for the next text in the same locale, and the rows, the column
    // width and the dialogs share it.
    thread_local std::unique_ptr<DateFormatter> formatter;
    thread_local QLocale formatterLocale;
    if (!formatter || formatterLocale != locale) {
        formatter = std::make_unique<DateFormatter>(locale);
        formatterLocale = locale;
    }
    return formatter->format(when);
}

QString ProfileListModel::rowName(const Profile& profile, const QLocale& locale)
{
    const std::optional<ConflictCopy> copy = ConflictCopy::recognise(profile.fileName());
    if (!copy)
        return profile.name();
    const QString when =
        copy->time ? locale.toString(QDateTime(copy->date, *copy->time), tr("d MMM yyyy HH:mm"))
                   : locale.toString(copy->date, tr("d MMM yyyy"));
    return tr("Conflicting copy of %1 (%2, %3)")
        .arg(file_path::removingExtension(copy->profileFileName),
             ConflictCopy::clientName(copy->client), when);
}

void ProfileListModel::setLocale(const QLocale& locale)
{
    m_locale = locale;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, 0),
                         {DateTextRole, NameRole, Qt::DisplayRole});
}

bool ProfileListModel::isActive(const Profile& profile) const
{
    return m_activeProfileName && *m_activeProfileName == profile.fileName();
}

int ProfileListModel::rowOfFileName(const std::optional<QString>& fileName) const
{
    if (!fileName)
        return -1;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).fileName() == *fileName)
            return row;
    }
    return -1;
}

void ProfileListModel::followActiveProfile()
{
    const std::optional<QString> previous = m_activeProfileName;
    m_activeProfileName = m_state.activeProfileName();
    for (const std::optional<QString>& name : {previous, m_activeProfileName}) {
        for (int row = 0; row < m_rows.size(); ++row) {
            if (name && m_rows.at(row).fileName() == *name)
                emit dataChanged(index(row), index(row), {IsActiveRole, Qt::FontRole});
        }
    }
}

void ProfileListModel::followProfiles()
{
    const QList<Profile>& fresh = m_state.profiles();
    // The first listing of a window built before it: nothing to merge.
    if (m_rows.isEmpty()) {
        if (!fresh.isEmpty()) {
            beginInsertRows({}, 0, int(fresh.size()) - 1);
            m_rows = fresh;
            endInsertRows();
        }
        return;
    }
    QSet<QString> freshUrls;
    freshUrls.reserve(fresh.size());
    for (const Profile& profile : fresh)
        freshUrls.insert(profile.url);

    // Remove the rows whose files are gone, in contiguous runs from the end.
    for (int row = int(m_rows.size()) - 1; row >= 0;) {
        if (freshUrls.contains(m_rows.at(row).url)) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !freshUrls.contains(m_rows.at(first - 1).url))
            --first;
        beginRemoveRows({}, first, row);
        m_rows.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }

    // Merge the rest: both lists are in display order.
    QSet<QString> kept;
    kept.reserve(m_rows.size());
    for (const Profile& profile : std::as_const(m_rows))
        kept.insert(profile.url);
    int row = 0;
    for (qsizetype i = 0; i < fresh.size();) {
        if (row < m_rows.size() && m_rows.at(row).url == fresh.at(i).url) {
            if (!(m_rows.at(row) == fresh.at(i))) {
                m_rows[row] = fresh.at(i);
                emit dataChanged(index(row), index(row));
            }
            ++row;
            ++i;
            continue;
        }
        if (kept.contains(fresh.at(i).url)) {
            // Rows changed their relative order, which a stable sort only
            // does for names that collate alike: rebuild.
            beginResetModel();
            m_rows = fresh;
            endResetModel();
            return;
        }
        qsizetype last = i;
        while (last + 1 < fresh.size() && !kept.contains(fresh.at(last + 1).url) &&
               !(row < m_rows.size() && m_rows.at(row).url == fresh.at(last + 1).url))
            ++last;
        beginInsertRows({}, row, row + int(last - i));
        for (qsizetype j = i; j <= last; ++j)
            m_rows.insert(row + (j - i), fresh.at(j));
        endInsertRows();
        row += int(last - i + 1);
        i = last + 1;
    }
}
