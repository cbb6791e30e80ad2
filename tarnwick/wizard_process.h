#pragma once

#include "platform/child_process.h"

#include <string>
#include <vector>

// Starts the wizard as wizard: program with args (args[0] becomes the process's own name), a
// program name without a '/' looked up on the search path. The wizard is sent SIGTERM when
// tarnwick ends, so that no wizard outlives its host, and inherits no descriptor of tarnwick's but
// the standard three and a handedDownFd of 0 or more (the design's lock), under its number. A
// workingDirectory that is not empty becomes its current directory. Its environment is tarnwick's,
// with the lock's variable set for the handed-down descriptor only, and with a session-bus address
// that fails at once when there is no session bus, so that its pages start no bus daemon. False with the reason in
// error ("cannot start the wizard <program>: <why>") and its kind in failure.
bool StartWizard(ChildProcess& wizard, const std::string& program, const std::vector<std::string>& args,
                 std::string& error, StartFailure& failure, const std::string& workingDirectory = std::string(),
                 int handedDownFd = -1);
