// Opening documents on a freedesktop system: xdg-open, started without a
// shell and detached, so that nobody has to wait for it.

#include "reading/desktop.h"

#include <string>

#include <sys/wait.h>
#include <unistd.h>

bool OpenWithDefaultApplication(const wxString& path)
{
    const std::string file(path.utf8_str());
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The grandchild runs the opener; the child ends at once so that the
        // opener is nobody's zombie.
        const pid_t opener = ::fork();
        if (opener == 0) {
            ::setsid();
            const char* argv[] = {"xdg-open", file.c_str(), nullptr};
            ::execvp(argv[0], const_cast<char* const*>(argv));
            ::_exit(127);
        }
        ::_exit(opener < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
