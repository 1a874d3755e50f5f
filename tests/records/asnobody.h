#pragma once

// Root ignores file modes, and CI runs as root: the cases that need them run
// in a forked child that has become an ordinary user (nobody), on files
// handed over to that user. Outside root they run as the user at hand.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <functional>

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr uid_t nobody = 65534;

inline bool becomeNobody()
{
    if (geteuid() != 0)
        return true;
    return setgroups(0, nullptr) == 0 && setresgid(nobody, nobody, nobody) == 0
           && setresuid(nobody, nobody, nobody) == 0 && geteuid() == nobody;
}

// Hands dir and all in it to the user the child becomes; false when some
// entry could not be handed over.
[[nodiscard]] inline bool giveAway(const QString &dir)
{
    if (geteuid() != 0)
        return true;
    bool all = lchown(QFile::encodeName(dir).constData(), nobody, nobody) == 0;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all = lchown(QFile::encodeName(it.next()).constData(), nobody, nobody) == 0 && all;
    return all;
}

struct ChildRun
{
    enum class End { Exited, Died, Hung, NotStarted };
    QByteArray out; // what body returned; empty when the child could not become nobody
    End end = End::NotStarted;
};

// Runs body in a child as nobody (or as the user at hand); a child still
// running after timeoutMs is killed and counts as hung.
inline ChildRun runAsNobody(const std::function<QByteArray()> &body, int timeoutMs = 60000, bool asNobody = true)
{
    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0)
        return run;
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray out = !asNobody || becomeNobody() ? body() : QByteArray();
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        _exit(0);
    }
    ::close(fds[1]);
    const QDeadlineTimer deadline(timeoutMs);
    char buffer[4096];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, int(qMax<qint64>(0, deadline.remainingTime()))) != 1) {
            kill(pid, SIGKILL);
            run.end = ChildRun::End::Hung;
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        run.out.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (run.end != ChildRun::End::Hung)
        run.end = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildRun::End::Exited : ChildRun::End::Died;
    return run;
}

inline QByteArray inChild(const std::function<QByteArray()> &body) { return runAsNobody(body).out; }
