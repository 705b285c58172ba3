#pragma once

#include <cstddef>
#include <map>
#include <optional>

// Drawn or laid-out things that depend on a look (style, palette, font,
// direction, screen) and on a key within that look. A change of look drops
// them all, and so does a cache that has grown to its capacity.
template <typename Look, typename Key, typename Value> class LookCache
{
public:
    explicit LookCache(std::size_t capacity) : m_capacity(capacity) {}

    // The value for `key` in `look`, made by `make()` when there is none.
    template <typename Make> const Value& get(const Look& look, const Key& key, Make make)
    {
        if (!m_look || !(*m_look == look)) {
            m_look = look;
            m_values.clear();
        }
        if (const auto found = m_values.find(key); found != m_values.end())
            return found->second;
        if (m_values.size() >= m_capacity)
            m_values.clear();
        return m_values.emplace(key, make()).first->second;
    }

    void clear() { m_values.clear(); }

private:
    std::size_t m_capacity;
    std::optional<Look> m_look;
    std::map<Key, Value> m_values;
};
