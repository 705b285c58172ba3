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

UserDefaults::UserDefaults(InMemory) {}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    if (!m_settings) {
        const auto found = m_inMemory.constFind(key);
        return found == m_inMemory.constEnd() ? std::nullopt : std::optional(*found);
    }
    m_settings->sync();
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void UserDefaults::setString(const QString& key, const QString& value)
{
    if (!m_settings) {
        m_inMemory.insert(key, value);
        return;
    }
    m_settings->setValue(key, value);
    m_settings->sync();
}

void UserDefaults::removeKey(const QString& key)
{
    if (!m_settings) {
        m_inMemory.remove(key);
        return;
    }
    m_settings->remove(key);
    m_settings->sync();
}

QString UserDefaults::filePath() const
{
    return m_settings ? m_settings->fileName() : QString();
}
