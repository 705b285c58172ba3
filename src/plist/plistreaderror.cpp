#include "plist/plistreaderror.h"

QString toString(PlistErrorCode code)
{
    switch (code) {
    case PlistErrorCode::truncated:
        return QStringLiteral("truncated");
    case PlistErrorCode::malformed:
        return QStringLiteral("malformed");
    case PlistErrorCode::badEncoding:
        return QStringLiteral("badEncoding");
    case PlistErrorCode::badValue:
        return QStringLiteral("badValue");
    case PlistErrorCode::tooDeep:
        return QStringLiteral("tooDeep");
    case PlistErrorCode::tooLarge:
        return QStringLiteral("tooLarge");
    case PlistErrorCode::referenceCycle:
        return QStringLiteral("referenceCycle");
    case PlistErrorCode::badReference:
        return QStringLiteral("badReference");
    case PlistErrorCode::badDictionary:
        return QStringLiteral("badDictionary");
    case PlistErrorCode::unsupported:
        return QStringLiteral("unsupported");
    case PlistErrorCode::trailingContent:
        return QStringLiteral("trailingContent");
    }
    return QStringLiteral("unknown");
}

QString PlistReadError::diagnostic() const
{
    if (offset < 0)
        return toString(code);
    return toString(code) + u" at " + QString::number(offset);
}
