#include "platform/filepath.h"

QString file_path::lastComponent(const QString& path)
{
    QStringView view(path);
    while (view.size() > 1 && view.endsWith(u'/'))
        view.chop(1);
    const qsizetype slash = view.lastIndexOf(u'/');
    return (slash < 0 ? view : view.mid(slash + 1)).toString();
}

QString file_path::extension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    // A leading dot starts a hidden name, not an extension.
    if (dot <= 0)
        return {};
    return fileName.mid(dot + 1);
}

QString file_path::removingExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0)
        return fileName;
    return fileName.left(dot);
}

QString file_path::appending(const QString& folder, const QString& component)
{
    if (folder.endsWith(u'/'))
        return folder + component;
    return folder + u'/' + component;
}

QString file_path::parent(const QString& path)
{
    QStringView view(path);
    while (view.size() > 1 && view.endsWith(u'/'))
        view.chop(1);
    const qsizetype slash = view.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : view.left(slash).toString();
}
