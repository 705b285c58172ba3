#pragma once

#include <QByteArray>
#include <QString>

#include <type_traits>
#include <utility>

// Reaches into QArrayDataPointer (its d_ptr() and reference count), which Qt
// does not document: checked against the Qt versions below only. Widen the
// range after reading the new version's qarraydatapointer.h and running
// tst_plistslicepool.
static_assert(QT_VERSION >= QT_VERSION_CHECK(6, 4, 0) && QT_VERSION < QT_VERSION_CHECK(6, 5, 0),
              "PlistSlicePool relies on QArrayDataPointer internals checked on Qt 6.4 only");

// The text of all strings read from one file, decoded into a single buffer
// that the strings share, so that reading a domain of thousands of keys
// allocates once instead of once per key; the same for the bytes of data
// objects. Each value is a slice of the buffer followed by its own
// terminator; the buffer lives while any slice does, and a slice that is
// changed detaches like any shared QString or QByteArray.
template <typename Container> class PlistSlicePool
{
public:
    using Unit = std::remove_pointer_t<decltype(std::declval<Container&>().data_ptr().data())>;

    // Room for `capacity` units in at most `count` slices.
    PlistSlicePool(quint64 capacity, quint64 count)
    {
        if (capacity == 0 || count == 0 || count > quint64(1) << 30)
            return;
        m_buffer = Container(qsizetype(capacity), Qt::Uninitialized);
        m_next = m_buffer.data_ptr().data();
        m_end = m_next + capacity;
        // The references of all slices are taken at once, and those not
        // handed out are given back at the end.
        m_unused = int(count);
        m_buffer.data_ptr().d_ptr()->ref_.fetchAndAddRelaxed(m_unused);
    }
    ~PlistSlicePool()
    {
        if (m_unused > 0)
            m_buffer.data_ptr().d_ptr()->ref_.fetchAndSubRelaxed(m_unused);
    }
    PlistSlicePool(const PlistSlicePool&) = delete;
    PlistSlicePool& operator=(const PlistSlicePool&) = delete;

    // Room for `length` units and a terminator; null when the pool is spent.
    Unit* reserve(quint64 length)
    {
        if (m_unused == 0 || length >= quint64(m_end - m_next))
            return nullptr;
        return m_next;
    }

    // The `length` units written at the start of the last reserve().
    Container take(qsizetype length)
    {
        Unit* start = m_next;
        start[length] = Unit(0);
        m_next += length + 1;
        --m_unused;
        return Container(
            typename Container::DataPointer(m_buffer.data_ptr().d_ptr(), start, length));
    }

private:
    Container m_buffer;
    Unit* m_next = nullptr;
    Unit* m_end = nullptr;
    int m_unused = 0;
};
