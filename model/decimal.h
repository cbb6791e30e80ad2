#pragma once

#include <string_view>

// The usual decimal conversion of the wizard: leading blanks and tabs skipped, an optional sign,
// then digits up to the first other character; 0 when no digit follows. A value beyond the
// 32-bit range saturates at INT_MIN or INT_MAX instead of overflowing.
int ParseDecimal(std::string_view text);
