#include "platform/held_signals.h"

#include <cerrno>
#include <sys/signalfd.h>
#include <unistd.h>

HeldSignals::HeldSignals()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kEndingSignals)
        sigaddset(&held, signal);
    ::sigprocmask(SIG_BLOCK, &held, &old_);
    fd_ = ::signalfd(-1, &held, SFD_CLOEXEC | SFD_NONBLOCK);
}

HeldSignals::~HeldSignals()
{
    if (fd_ >= 0)
        ::close(fd_);
    ::sigprocmask(SIG_SETMASK, &old_, nullptr);
}

int HeldSignals::TakeHeldSignal(int signalFd)
{
    signalfd_siginfo info{};
    ssize_t got;
    do {
        got = ::read(signalFd, &info, sizeof info);
    } while (got < 0 && errno == EINTR);
    return got == ssize_t(sizeof info) ? int(info.ssi_signo) : 0;
}
