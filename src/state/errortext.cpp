#include "state/errortext.h"

#include "platform/filesystem.h"
#include "profiles/profile.h"

QString ErrorText::subject(const PlatformError& error)
{
    const QString name = file_path::lastComponent(error.path);
    switch (error.operation) {
    case Operation::read:
        return tr("The file \u201C%1\u201D couldn\u2019t be read").arg(name);
    case Operation::write:
        return tr("The file \u201C%1\u201D couldn\u2019t be saved").arg(name);
    case Operation::move:
        return tr("The file \u201C%1\u201D couldn\u2019t be moved").arg(name);
    case Operation::copy:
        return tr("The file \u201C%1\u201D couldn\u2019t be copied").arg(name);
    case Operation::remove:
        return tr("The file \u201C%1\u201D couldn\u2019t be removed").arg(name);
    case Operation::createFolder:
        return tr("The folder \u201C%1\u201D couldn\u2019t be created").arg(name);
    case Operation::lock:
        return tr("The file \u201C%1\u201D couldn\u2019t be locked").arg(name);
    case Operation::launch:
        return tr("\u201C%1\u201D couldn\u2019t be opened").arg(name);
    }
    return name;
}

QString ErrorText::reasonClause(const PlatformError& error)
{
    switch (error.code) {
    case ErrorCode::notFound:
        return tr("there is no such file");
    case ErrorCode::alreadyExists:
        return tr("an item with the same name already exists");
    case ErrorCode::accessDenied:
        return tr("you don\u2019t have permission to access it");
    case ErrorCode::isFolder:
        return tr("it is a folder");
    case ErrorCode::notAFolder:
        return tr("a part of its path is not a folder");
    case ErrorCode::notAFile:
        return tr("it is not a regular file");
    case ErrorCode::tooLarge:
        return tr("it is larger than %1 MB, far more than settings take")
            .arg(FileSystem::maximumReadSize / (1024 * 1024));
    case ErrorCode::nameTooLong:
        return tr("its name is too long");
    case ErrorCode::noSpace:
        return tr("there isn\u2019t enough space");
    case ErrorCode::readOnly:
        return tr("the volume is read only");
    case ErrorCode::locked:
        return tr("another program is using it");
    case ErrorCode::isLink:
        return tr("it is a link, where only a real file or folder is taken");
    case ErrorCode::foreignLink:
        return tr("it is a link owned by another user, which is never followed");
    case ErrorCode::foreignOwner:
        return tr("it is a folder owned by another user");
    case ErrorCode::changedMeanwhile:
        return tr("it was changed by another program meanwhile");
    case ErrorCode::unavailable:
    case ErrorCode::systemError:
        break;
    }
    return {};
}

QString ErrorText::describe(const PlatformError& error)
{
    if (error.operation == Operation::launch) {
        if (error.code == ErrorCode::unavailable)
            return tr("%1 cannot be loaded.").arg(error.path);
        if (error.code == ErrorCode::notFound)
            return tr("The desktop entry \u201C%1\u201D cannot be read.").arg(error.path);
        // GLib's own words, already in the user's language.
        if (!error.systemMessage.isEmpty())
            return error.systemMessage;
    }
    if (const QString reason = reasonClause(error); !reason.isEmpty())
        return tr("%1 because %2.").arg(subject(error), reason);
    QString detail = error.systemMessage;
    if (detail.isEmpty() && error.systemError != 0)
        detail = qt_error_string(error.systemError);
    if (detail.isEmpty())
        return subject(error) + u'.';
    if (!detail.endsWith(u'.'))
        detail += u'.';
    return tr("%1: %2").arg(subject(error), detail);
}

QString ErrorText::describe(const SessionFailure& failure)
{
    switch (failure.problem) {
    case SessionFailure::Problem::preferencesLocked:
        return tr("Pelvaro's preferences are locked by another program.");
    case SessionFailure::Problem::preferencesUnreadable:
        return tr("Pelvaro's preferences file does not hold a readable preferences dictionary.");
    case SessionFailure::Problem::applicationNotFound:
        return tr("Pelvaro could not be found.");
    case SessionFailure::Problem::profileUnreadable:
    case SessionFailure::Problem::notApplied:
    case SessionFailure::Problem::noPreferences:
    case SessionFailure::Problem::targetExists:
    case SessionFailure::Problem::notWritten:
        break;
    }
    return failure.cause ? describe(*failure.cause) : QString();
}

QString ErrorText::describe(const ConflictMerge::Failure& failure)
{
    if (failure.error)
        return describe(*failure.error);
    if (failure.settings && failure.settings->error)
        return describe(*failure.settings->error);
    return tr("\"%1\" holds no readable settings.").arg(file_path::lastComponent(failure.path));
}
