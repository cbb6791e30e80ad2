#pragma once

#include <cstdint>
#include <string>

// A file's size as the report shows it: "812 bytes", "4.2 KiB", "112.3 MiB".
std::string ShownSize(std::int64_t bytes);

// A size needed and the room there is, as a refusal shows them: both in KiB when less than a MiB is
// needed, else in MiB, the need rounded up and the room down, so that the two always differ.
void ShowShortage(std::uint64_t need, std::uint64_t room, std::string& needText, std::string& roomText);
