#include "platform/result.h"

#include <cstring>
#include <iterator>

#include <cerrno>

PlatformError PlatformError::fromErrno(Operation operation, const QString& path, int error)
{
    const ErrorCode code = [error] {
        switch (error) {
        case ENOENT:
            return ErrorCode::notFound;
        case EEXIST:
        case ENOTEMPTY:
            return ErrorCode::alreadyExists;
        case EACCES:
        case EPERM:
            return ErrorCode::accessDenied;
        case EISDIR:
            return ErrorCode::isFolder;
        case ENOTDIR:
            return ErrorCode::notAFolder;
        case ENODEV:
            return ErrorCode::notAFile;
        case EFBIG:
            return ErrorCode::tooLarge;
        case ENAMETOOLONG:
            return ErrorCode::nameTooLong;
        case ENOSPC:
        case EDQUOT:
            return ErrorCode::noSpace;
        case EROFS:
            return ErrorCode::readOnly;
        case EWOULDBLOCK:
            return ErrorCode::locked;
        default:
            return ErrorCode::systemError;
        }
    }();
    return {operation, code, path, error, {}};
}

QString PlatformError::reason() const
{
    static constexpr const char* codes[] = {
        "notFound",    "alreadyExists", "accessDenied",     "isFolder",    "notAFolder", "notAFile",
        "tooLarge",    "nameTooLong",   "noSpace",          "readOnly",    "locked",     "isLink",
        "foreignLink", "foreignOwner",  "changedMeanwhile", "unavailable", "systemError"};
    static_assert(std::size(codes) == size_t(ErrorCode::systemError) + 1);
    if (!systemMessage.isEmpty())
        return systemMessage;
    if (systemError != 0)
        return QString::fromLatin1(::strerrordesc_np(systemError));
    return QString::fromLatin1(codes[size_t(code)]);
}

QString PlatformError::diagnostic() const
{
    static constexpr const char* operations[] = {"read",   "write",         "move", "copy",
                                                 "remove", "create folder", "lock", "launch"};
    static_assert(std::size(operations) == size_t(Operation::launch) + 1);
    return QString::fromLatin1(operations[size_t(operation)]) + u' ' + path + u": " + reason();
}
