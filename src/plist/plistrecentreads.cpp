#include "plist/plistrecentreads.h"

PlistRecentReads& PlistRecentReads::instance()
{
    static PlistRecentReads recent;
    return recent;
}

void PlistRecentReads::remember(const PlistDictionary& dictionary)
{
    if (dictionary.encoding().isEmpty())
        return;
    const std::lock_guard lock(m_mutex);
    m_entries[m_next] = dictionary.d;
    m_next = (m_next + 1) % m_entries.size();
}

std::optional<PlistDictionary> PlistRecentReads::find(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    for (const std::weak_ptr<PlistDictionary::Data>& entry : m_entries) {
        if (std::shared_ptr<PlistDictionary::Data> data = entry.lock()) {
            PlistDictionary dictionary(std::move(data));
            if (dictionary.encoding() == bytes)
                return dictionary;
        }
    }
    return std::nullopt;
}
