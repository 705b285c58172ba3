#pragma once

#include <QHash>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// The launcher's own settings: text values under a few keys, kept in an INI
// file in the user's configuration folder.
class UserDefaults
{
public:
    // The standard location: $XDG_CONFIG_HOME/pelvaro-launcher/pelvaro-launcher.conf.
    UserDefaults();
    explicit UserDefaults(const QString& filePath);
    // Settings kept in memory only, for a run that must leave the user's
    // own as they are; they are gone with this object.
    struct InMemory
    {
    };
    explicit UserDefaults(InMemory);

    std::optional<QString> stringForKey(const QString& key) const;
    void setString(const QString& key, const QString& value);
    void removeKey(const QString& key);
    QString filePath() const;

private:
    // Null when in memory.
    std::unique_ptr<QSettings> m_settings;
    QHash<QString, QString> m_inMemory;
};
