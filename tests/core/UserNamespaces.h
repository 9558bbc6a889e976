#pragma once
// The PlantUML renderer runs in a bubblewrap sandbox, which needs user
// namespaces. Some kernels refuse them to the process (inside a chroot, on a
// hardened kernel): tests that need the sandbox working skip there, while the
// program keeps refusing to render unsandboxed.
#include <optional>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

inline std::optional<std::string> userNamespacesRefused()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::unshare(CLONE_NEWUSER) == 0 ? 0 : 1);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return "no process could be started to try a user namespace";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return std::nullopt;
    return "the kernel refuses user namespaces here (a chroot or a hardened kernel), so the renderer's "
           "sandbox cannot start";
}

#define SKIP_WITHOUT_USER_NAMESPACES()                    \
    do {                                                  \
        if (const auto refused = userNamespacesRefused()) \
            GTEST_SKIP() << *refused;                     \
    } while (0)
