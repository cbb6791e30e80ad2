#pragma once

#include "platform/design_lock.h"

#include <string>

// Takes the lock of the design at designPath, waiting up to timeoutSeconds while another run holds
// it and saying so on stderr. False with the reason when the design stays in use.
bool LockDesignFolder(DesignLock& lock, const std::string& designPath, int timeoutSeconds, std::string& error);
