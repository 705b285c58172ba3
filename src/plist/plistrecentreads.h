#pragma once

#include "plist/plistvalue.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>

// The dictionaries the binary reader most recently read, while they are in
// use, found again by the bytes they were read from. The launcher reads the
// same domain again and again (a profile saved from the preferences and
// started again holds the very bytes they were read from), and this spares
// parsing it each time. Readers on any thread share it.
class PlistRecentReads
{
public:
    static PlistRecentReads& instance();

    // Keeps a weak hold on `dictionary`, which knows its encoding.
    void remember(const PlistDictionary& dictionary);
    // A dictionary still in use whose encoding is exactly `bytes`.
    std::optional<PlistDictionary> find(const QByteArray& bytes);

private:
    std::mutex m_mutex;
    std::array<std::weak_ptr<PlistDictionary::Data>, 4> m_entries;
    size_t m_next = 0;
};
