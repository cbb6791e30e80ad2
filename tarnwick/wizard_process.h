#pragma once

#include "platform/child_process.h"

#include <string>
#include <vector>

// Starts the wizard as wizard: program with args (args[0] becomes the process's own name), a
// program name without a '/' looked up on the search path.
bool StartWizard(ChildProcess& wizard, const std::string& program, const std::vector<std::string>& args,
                 std::string& error, StartFailure& failure, const std::string& workingDirectory = std::string(),
                 int handedDownFd = -1);
