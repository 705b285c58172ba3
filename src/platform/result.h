#pragma once

#include <QString>

#include <utility>
#include <variant>

// What a platform call was doing when it failed.
enum class Operation : quint8
{
    read,
    write,
    move,
    copy,
    remove,
    createFolder,
    lock,
    launch,
};

// Why it failed, in the terms a caller acts on and a message names.
enum class ErrorCode : quint8
{
    notFound,
    alreadyExists,
    accessDenied,
    isFolder,
    notAFolder,
    notAFile,
    tooLarge,
    nameTooLong,
    noSpace,
    readOnly,
    // Another program held a lock past the time allowed.
    locked,
    // A link stands where only a real file or folder is taken.
    isLink,
    // A link that another user owns: never followed, since its owner can
    // point it at any file of ours.
    foreignLink,
    // A folder that another user owns, where the launcher keeps files of ours.
    foreignOwner,
    // The file was replaced or changed while it was being worked on.
    changedMeanwhile,
    // A service the call needs cannot be loaded.
    unavailable,
    // Anything else; `systemError` or `systemMessage` says what.
    systemError,
};

// A failure as data: no sentence is built here. Messages are made, in the
// user's language, where they are shown.
struct PlatformError
{
    Operation operation = Operation::read;
    ErrorCode code = ErrorCode::systemError;
    QString path;
    // The errno value, when the system reported one.
    int systemError = 0;
    // A reason the system phrased itself (GLib's messages come translated).
    QString systemMessage;

    static PlatformError fromErrno(Operation operation, const QString& path, int error);
    // The failure in English for logs, which are read in no one language:
    // "write /path: noSpace (No space left on device)".
    QString diagnostic() const;
    // Why, in English: the system's own words, or the code's name.
    QString reason() const;

    friend bool operator==(const PlatformError&, const PlatformError&) = default;
};

// A value or the error that prevented it, in the manner of std::expected
// (C++23, which the compilers this builds with do not all offer).
template <typename T, typename E = PlatformError> class [[nodiscard]] Result
{
public:
    Result(T value) : m_storage(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_storage(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return m_storage.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    const T& value() const& { return std::get<0>(m_storage); }
    T& value() & { return std::get<0>(m_storage); }
    T&& value() && { return std::get<0>(std::move(m_storage)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    const E& error() const { return std::get<1>(m_storage); }

private:
    std::variant<T, E> m_storage;
};

template <typename E> class [[nodiscard]] Result<void, E>
{
public:
    Result() = default;
    Result(E error) : m_error(std::move(error)), m_failed(true) {}

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    const E& error() const { return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};
