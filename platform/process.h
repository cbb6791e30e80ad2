#pragma once

#include <string>

// The full path of the running executable; "" when it cannot be read.
std::string ExecutablePath();

// True when path names a regular file that can be opened for reading.
bool FileExists(const std::string& path);

// Starts the desktop's document viewer on path ("xdg-open" from the search path) without a command
// interpreter: the path is handed over as one argument, whatever characters it holds. Does not wait
// for the viewer, yet collects it once it has ended.
bool StartDocumentViewer(const std::string& path);
