#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// Its entries hold PlistValue, which holds dictionaries: plist/plistvalue.h
// completes both, and is what users include.
class PlistValue;

// A dictionary with text keys that keeps its keys in the order they were
// first inserted. Inserting an existing key replaces its value in place.
// Copies share their data until one of them changes.
class PlistDictionary
{
public:
    using Entry = std::pair<QString, PlistValue>;

    PlistDictionary() = default;

    // Builds a dictionary from entries in file order; a key that repeats
    // keeps its first position and takes its last value, as with insert().
    static PlistDictionary fromEntries(QList<Entry> entries);

    void reserve(qsizetype size);
    void insert(const QString& key, PlistValue value);
    // Removes every listed key; the others keep their order.
    void remove(const QStringList& keys);
    bool contains(const QString& key) const;
    const PlistValue* find(const QString& key) const;
    PlistValue value(const QString& key) const;
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    const QList<Entry>& entries() const;
    QStringList keys() const;
    // Those of `keys` that this dictionary lacks, in their order.
    QStringList missingKeys(const QStringList& keys) const;
    // The keys of `other` that this dictionary lacks, in their order.
    QStringList missingKeys(const PlistDictionary& other) const;

    // The binary file this dictionary was read from, when that file is
    // exactly what PlistWriter writes for it; empty otherwise, and emptied
    // by any change. It spares writing an unchanged domain out again.
    const QByteArray& encoding() const;
    // Records that encoding.
    void setEncoding(QByteArray encoding);

    // Equal when both hold the same keys with equal values; order is not compared.
    friend bool operator==(const PlistDictionary& a, const PlistDictionary& b);

private:
    friend class PlistRecentReads;

    static constexpr qsizetype smallSize = 8;

    struct Data;

    explicit PlistDictionary(std::shared_ptr<Data> data);
    qsizetype indexOf(const QString& key) const;
    // The data, no longer shared with any copy, for a change.
    Data& detach();

    // A shared_ptr holds no pointer to itself, so a dictionary can be
    // relocated by copying its bytes.
    std::shared_ptr<Data> d;
};

Q_DECLARE_TYPEINFO(PlistDictionary, Q_RELOCATABLE_TYPE);
