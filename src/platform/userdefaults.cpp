#include "platform/userdefaults.h"

#include <QStandardPaths>

UserDefaults::UserDefaults()
    : UserDefaults(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   u"/pelvaro-launcher/pelvaro-launcher.conf")
{
}

UserDefaults::UserDefaults(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    m_settings->sync();
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void UserDefaults::setString(const QString& key, const QString& value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}

void UserDefaults::removeKey(const QString& key)
{
    m_settings->remove(key);
    m_settings->sync();
}

QString UserDefaults::filePath() const
{
    return m_settings->fileName();
}
