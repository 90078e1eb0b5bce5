#include "support/otheruser.h"

#include <grp.h>
#include <unistd.h>

bool becomeUnprivilegedUser()
{
    constexpr uid_t Nobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0;
}
