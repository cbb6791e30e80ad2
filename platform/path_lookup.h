#pragma once

#include <string>

// The program name on PATH, as execvp would find it from the current folder, as an absolute
// path; empty when it is not there.
std::string FindOnPath(const std::string& program);
