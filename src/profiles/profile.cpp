#include "profiles/profile.h"

#include <QHash>

QString Profile::fileName() const
{
    return file_path::lastComponent(url);
}

QString Profile::name() const
{
    return file_path::removingExtension(fileName());
}

QString Profile::folder() const
{
    return file_path::parent(url);
}

size_t qHash(const Profile& profile, size_t seed)
{
    return qHashMulti(seed, profile.url, profile.modifiedAt);
}
