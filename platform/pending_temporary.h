#pragma once

#include <string>

// Holds the name of a temporary file so that SIGTERM, SIGINT or SIGHUP removes it before ending the
// process by that same signal. The names are kept in a small fixed table that the signal handler
// reads without locks, so files on several threads may be held at once.
class PendingTemporary {
public:
    PendingTemporary() = default;
    ~PendingTemporary() { Release(); }
    PendingTemporary(const PendingTemporary&) = delete;
    PendingTemporary& operator=(const PendingTemporary&) = delete;

    // Holds path (releasing any name held before). Hold it before the file gets that name, so
    // that no moment passes with the file named but not held. False when every place in the
    // table is taken or the path is too long: the file is then not removed by a signal.
    bool Hold(const std::string& path);
    // Stops holding the name; a signal no longer removes it.
    void Release();

private:
    int place_ = -1;
};
