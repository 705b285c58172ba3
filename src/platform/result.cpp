#include "platform/result.h"

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
