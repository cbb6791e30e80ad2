#pragma once

// The whole state of the interleaver that the wizard parameterises, with the figures derived from
// it. Flags hold 0 or 1 and count as set only when they equal 1.
struct InterleaverSettings {
    int CONVOLUTIONAL = 1;
    int BLOCK = 0;
    int BLOCK_CONTINOUS = 0;
    int INTERLEAVER = 1;
    int DEINTERLEAVER = 0;
    int INTERNAL_DPRAM = 1;
    int EXTERNAL_DPRAM = 0;
    int SYMBOL_WIDTH = 8;
    int NUMBER_OF_SYMBOL_PER_CODEWORD = 204;
    int CHARACTERISTIC_I = 12;
    int CHARACTERISTIC_J = 17;
    int NUMBER_OF_BURST_ERROR = 10;

    bool continuousFlow() const;
    bool blockMode() const;
    // Bits of the memory address. With neither CONVOLUTIONAL nor BLOCK set it keeps the value it
    // had at its last evaluation (12 at start).
    int addressWidth() const;
    int memoryWords() const;
    int latencyCycles() const;
    // 0 when the codeword length is 0 (only possible while the user types).
    int codewordsSpread() const;
    int checkSymbols() const;
    int vectorEndTime() const;

private:
    mutable int lastAddressWidth_ = 12;
};

// Number of truncating halvings that take x to 0.
int BitLength(int x);
