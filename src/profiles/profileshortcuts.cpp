#include "profiles/profileshortcuts.h"

#include "platform/logging.h"
#include "profiles/profile.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUuid>

namespace {

// The desktop file IDs of the entries the launcher makes.
constexpr QStringView entryPrefix = u"io.github.pelvaro.Launcher.profile-";
constexpr QByteArrayView profileKey = "X-Pelvaro-Launcher-Profile=";

// A value of the desktop entry's "string" types: no line ends, and a
// backslash doubled.
QString escapedValue(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += u"\\\\";
        else if (c == u'\n')
            escaped += u"\\n";
        else if (c == u'\t')
            escaped += u"\\t";
        else if (c == u'\r')
            escaped += u"\\r";
        else
            escaped += c;
    }
    return escaped;
}

// One argument of Exec: always quoted, with the characters that stay
// special inside quotes escaped, and a literal % doubled. The whole line
// is escaped as a string value afterwards, in the order freedesktop.org's
// desktop entry standard gives.
QString execArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

std::optional<QString> profileOfEntry(const QByteArray& entry)
{
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith(profileKey))
            return QUrl::fromPercentEncoding(line.mid(profileKey.size()));
    }
    return std::nullopt;
}

} // namespace

ProfileShortcuts::ProfileShortcuts(FileSystem& fileSystem, QString applicationsFolder,
                                   QString programPath)
    : m_fileSystem(fileSystem), m_applicationsFolder(std::move(applicationsFolder)),
      m_programPath(std::move(programPath))
{
}

QString ProfileShortcuts::userApplicationsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/applications";
}

QByteArray ProfileShortcuts::entryText(const QString& profilePath, const QString& programPath)
{
    Profile profile;
    profile.url = profilePath;
    const QString exec = execArgument(programPath) + u" --start " +
                         execArgument(profile.fileName()) + u" --folder " +
                         execArgument(profile.folder());
    // The name is Pelvaro's and the profile's in every language.
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           escapedValue(u"Pelvaro (" + profile.name() + u')').toUtf8() +
           "\n"
           "Exec=" +
           escapedValue(exec).toUtf8() +
           "\n"
           "Icon=io.github.pelvaro.Launcher\n"
           "Terminal=false\n"
           "StartupNotify=false\n"
           "Categories=Utility;\n" +
           profileKey.toByteArray() + QUrl::toPercentEncoding(profilePath, "/") + '\n';
}

Result<void> ProfileShortcuts::write(const QString& entryPath, const QString& profilePath,
                                     bool create)
{
    const QByteArray text = entryText(profilePath, m_programPath);
    return create ? m_fileSystem.createFileAtomically(entryPath, text)
                  : m_fileSystem.writeFileAtomically(entryPath, text);
}

Result<QString> ProfileShortcuts::create(const QString& profilePath)
{
    if (!m_fileSystem.isDirectory(m_applicationsFolder)) {
        if (Result<void> made = m_fileSystem.createDirectory(m_applicationsFolder); !made)
            return made.error();
    }
    if (const QStringList existing = entriesFor(profilePath); !existing.isEmpty()) {
        if (Result<void> written = write(existing.first(), profilePath, false); !written)
            return written.error();
        return existing.first();
    }
    const QString entryPath = m_applicationsFolder + u'/' + entryPrefix +
                              QUuid::createUuid().toString(QUuid::Id128) + u".desktop";
    if (Result<void> written = write(entryPath, profilePath, true); !written)
        return written.error();
    return entryPath;
}

QStringList ProfileShortcuts::entriesFor(const QString& profilePath) const
{
    QStringList entries;
    const auto ours = [](QStringView name) {
        return name.startsWith(entryPrefix) && name.endsWith(u".desktop");
    };
    const std::optional<QList<DirectoryEntry>> listed =
        m_fileSystem.listDirectory(m_applicationsFolder, ours);
    for (const DirectoryEntry& entry : listed.value_or(QList<DirectoryEntry>())) {
        const QString path = m_applicationsFolder + u'/' + entry.name;
        const Result<QByteArray> text = m_fileSystem.readFile(path);
        if (text && profileOfEntry(*text) == profilePath)
            entries.append(path);
    }
    return entries;
}

void ProfileShortcuts::follow(const QString& from, const QString& to)
{
    for (const QString& entry : entriesFor(from)) {
        if (const Result<void> written = write(entry, to, false); !written)
            qCWarning(lcFiles) << "could not make the shortcut" << entry << "follow" << to;
    }
}

void ProfileShortcuts::remove(const QString& profilePath)
{
    for (const QString& entry : entriesFor(profilePath)) {
        if (const Result<void> removed = m_fileSystem.removeItem(entry); !removed)
            qCWarning(lcFiles) << "could not remove the shortcut" << entry;
    }
}
