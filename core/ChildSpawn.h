#pragma once

#include <spawn.h>

// A posix_spawn record, destroyed with its holder.
template <typename T, int (*init)(T *), int (*destroy)(T *)>
class SpawnRecord
{
public:
    SpawnRecord() { m_ok = init(&m_record) == 0; }
    ~SpawnRecord()
    {
        if (m_ok)
            destroy(&m_record);
    }
    SpawnRecord(const SpawnRecord &) = delete;
    SpawnRecord &operator=(const SpawnRecord &) = delete;
    T *get() { return m_ok ? &m_record : nullptr; }

private:
    T m_record;
    bool m_ok = false;
};

using SpawnActions = SpawnRecord<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                 posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnRecord<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// A child gets neither the program's blocked signals nor its ignored SIGPIPE nor its standard
// input. False when a record could not be made or set.
bool prepareQuietChild(SpawnActions &actions, SpawnAttributes &attributes);
