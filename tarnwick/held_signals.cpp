#include "tarnwick/held_signals.h"

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

int HeldSignals::Take()
{
    signalfd_siginfo info{};
    return ::read(fd_, &info, sizeof info) == ssize_t(sizeof info) ? int(info.ssi_signo) : 0;
}
