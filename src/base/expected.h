#pragma once

#include <utility>
#include <variant>

// A value or the error that prevented it, in the manner of std::expected
// (C++23, which the compilers this builds with do not all offer).
template <typename T, typename E> class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_storage(std::in_place_index<0>, std::move(value)) {}
    Expected(E error) : m_storage(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return m_storage.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    const T& value() const& { return std::get<0>(m_storage); }
    T& value() & { return std::get<0>(m_storage); }
    T&& value() && { return std::get<0>(std::move(m_storage)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    const E& error() const { return std::get<1>(m_storage); }
    T valueOr(T fallback) const& { return hasValue() ? value() : std::move(fallback); }

private:
    std::variant<T, E> m_storage;
};

template <typename E> class [[nodiscard]] Expected<void, E>
{
public:
    Expected() = default;
    Expected(E error) : m_error(std::move(error)), m_failed(true) {}

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    const E& error() const { return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};
