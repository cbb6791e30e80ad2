#pragma once

#include <string>

// Writes text to path whole; false with the reason otherwise.
bool WriteFile(const std::string& path, const std::string& text, std::string& error);
