#pragma once

#include <QList>
#include <QMutex>
#include <QMutexLocker>

// A list guarded by its own mutex; each operation locks for its own duration.
// The destructor does not delete the elements.
template <typename T> class ConcurrentQueue
{
public:
    virtual ~ConcurrentQueue() = default;

    void push(const T &value)
    {
        QMutexLocker lock(&m_mutex);
        m_list.append(value);
    }

    T takeFirst()
    {
        QMutexLocker lock(&m_mutex);
        return m_list.takeFirst();
    }

    int size() const
    {
        QMutexLocker lock(&m_mutex);
        return m_list.size();
    }

private:
    QList<T> m_list;
    mutable QMutex m_mutex;
};
