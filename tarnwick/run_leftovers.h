#pragma once

#include <string>
#include <vector>

// Removes what runs that were killed left in directory: their working folders (.tarnwick-<pid>-*)
// and the links they kept of replaced files (.tarnwick-kept-<pid>-*), those of processes that are
// gone only. Called under the design's lock. Returns the names removed.
std::vector<std::string> RemoveDeadRunLeftovers(const std::string& directory);
