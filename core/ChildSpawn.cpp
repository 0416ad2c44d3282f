#include "ChildSpawn.h"

#include <csignal>
#include <fcntl.h>

bool prepareQuietChild(SpawnActions &actions, SpawnAttributes &attributes)
{
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    return actions.get() && attributes.get() &&
           posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawnattr_setsigmask(attributes.get(), &noSignals) == 0 &&
           posix_spawnattr_setsigdefault(attributes.get(), &defaults) == 0 &&
           posix_spawnattr_setflags(attributes.get(),
                                    POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
}
