#pragma once

#include <QString>

// The result of the last access check of the profile folder.
class AccessStatus
{
public:
    enum class Kind
    {
        untested,
        ok,
        failure
    };

    static AccessStatus untested() { return AccessStatus(Kind::untested, {}); }
    static AccessStatus ok() { return AccessStatus(Kind::ok, {}); }
    static AccessStatus failure(const QString& message)
    {
        return AccessStatus(Kind::failure, message);
    }

    AccessStatus() = default;
    Kind kind() const { return m_kind; }
    // The text to show; empty unless the check failed.
    QString message() const { return m_message; }

    friend bool operator==(const AccessStatus& a, const AccessStatus& b)
    {
        return a.m_kind == b.m_kind && (a.m_kind != Kind::failure || a.m_message == b.m_message);
    }

private:
    AccessStatus(Kind kind, QString message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind = Kind::untested;
    QString m_message;
};
