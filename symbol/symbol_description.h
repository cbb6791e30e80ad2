#pragma once

#include "symbol/symbol_graphic.h"

#include <string>

// The symbol in words, for a screen reader: its texts (name, title, mode) in order, then the labels
// of its input, output and bidirectional pins, each side from top to bottom. For example "f,
// Interleaver 12 X 17, Convolutional. Inputs: din[7..0], sync_in, clken, clock.
std::string DescribeSymbol(const SymbolGraphic& symbol);
