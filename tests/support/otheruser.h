#ifndef MORVA_TESTS_OTHERUSER_H
#define MORVA_TESTS_OTHERUSER_H

// For a forked child of a test: gives up root for the unprivileged user
// "nobody" (uid and gid 65534, no supplementary groups), so that the child
// meets the permission checks that root passes. False when it could not.
bool becomeUnprivilegedUser();

#endif
