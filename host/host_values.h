#pragma once

// Values shared by the whole process: the host's thread id for the page-exit message, and the
// screen corner at which the next page's lower-right corner goes.
struct HostValues {
    int hostThreadId = 0;
    bool hostThreadKnown = false;
    int cornerX = 100;
    int cornerY = 100;
    bool cornerKnown = false;
};

// The process-wide instance.
HostValues& hostValues();
