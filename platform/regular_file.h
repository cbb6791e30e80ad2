#pragma once

#include <cstddef>
#include <string>

// Reads the whole of the regular file at path (links followed) into contents. Opened without
// blocking, so that a named pipe or a device in its place is refused at once instead of stalling
// the run or reading without end.
bool ReadRegularFile(const std::string& path, size_t limit, std::string& contents);

// Whether path names a regular file, links followed.
bool IsRegularFile(const std::string& path);
