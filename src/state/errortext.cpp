#include "state/errortext.h"

#include "platform/filesystem.h"

#include <QCoreApplication>

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("ErrorText", text);
}

QString lastComponent(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString subject(const PlatformError& error)
{
    const QString name = lastComponent(error.path);
    switch (error.operation) {
    case Operation::read:
        return translated("The file \u201C%1\u201D couldn\u2019t be read").arg(name);
    case Operation::write:
        return translated("The file \u201C%1\u201D couldn\u2019t be saved").arg(name);
    case Operation::move:
        return translated("The file \u201C%1\u201D couldn\u2019t be moved").arg(name);
    case Operation::copy:
        return translated("The file \u201C%1\u201D couldn\u2019t be copied").arg(name);
    case Operation::remove:
        return translated("The file \u201C%1\u201D couldn\u2019t be removed").arg(name);
    case Operation::createFolder:
        return translated("The folder \u201C%1\u201D couldn\u2019t be created").arg(name);
    case Operation::lock:
        return translated("The file \u201C%1\u201D couldn\u2019t be locked").arg(name);
    case Operation::launch:
        return translated("\u201C%1\u201D couldn\u2019t be opened").arg(name);
    }
    return name;
}

// The reason as a clause that completes "… because {reason}."; none when
// only the system can say.
QString reasonClause(const PlatformError& error)
{
    switch (error.code) {
    case ErrorCode::notFound:
        return translated("there is no such file");
    case ErrorCode::alreadyExists:
        return translated("an item with the same name already exists");
    case ErrorCode::accessDenied:
        return translated("you don\u2019t have permission to access it");
    case ErrorCode::isFolder:
        return translated("it is a folder");
    case ErrorCode::notAFolder:
        return translated("a part of its path is not a folder");
    case ErrorCode::notAFile:
        return translated("it is not a regular file");
    case ErrorCode::tooLarge:
        return translated("it is larger than %1 MB, far more than settings take")
            .arg(FileSystem::maximumReadSize / (1024 * 1024));
    case ErrorCode::nameTooLong:
        return translated("its name is too long");
    case ErrorCode::noSpace:
        return translated("there isn\u2019t enough space");
    case ErrorCode::readOnly:
        return translated("the volume is read only");
    case ErrorCode::locked:
        return translated("another program is using it");
    case ErrorCode::unavailable:
    case ErrorCode::systemError:
        break;
    }
    return {};
}

} // namespace

QString error_text::describe(const PlatformError& error)
{
    if (error.operation == Operation::launch) {
        if (error.code == ErrorCode::unavailable)
            return translated("%1 cannot be loaded.").arg(error.path);
        if (error.code == ErrorCode::notFound)
            return translated("The desktop entry \u201C%1\u201D cannot be read.").arg(error.path);
        // GLib's own words, already in the user's language.
        if (!error.systemMessage.isEmpty())
            return error.systemMessage;
    }
    if (const QString reason = reasonClause(error); !reason.isEmpty())
        return translated("%1 because %2.").arg(subject(error), reason);
    QString detail = error.systemMessage;
    if (detail.isEmpty() && error.systemError != 0)
        detail = qt_error_string(error.systemError);
    if (detail.isEmpty())
        return subject(error) + u'.';
    if (!detail.endsWith(u'.'))
        detail += u'.';
    return translated("%1: %2").arg(subject(error), detail);
}
