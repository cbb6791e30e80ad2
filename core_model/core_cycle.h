#pragma once

#include <cstdint>
#include <optional>

namespace zorvex::core {

// The inputs a core samples at one rising clock edge.
struct CycleInput {
    std::optional<std::uint64_t> din = 0; // std::nullopt: an undefined symbol (from a chained core)
    bool clockEnable = false;
    bool syncIn = false;
};

// conv_qzram's outputs around one edge: nextDin in the cycle before it (it follows that edge's
// sync_in), the registered outputs in the cycle after it. dout is std::nullopt where the
// symbol is not yet defined ("don't care").
struct ConvQzramCycle {
    bool nextDin = false;
    std::optional<std::uint64_t> dout;
    bool syncOut = false;
    bool doutValid = false;
};

// genaddr's outputs around one edge: the addresses and block_write_enable in the cycle before
// it, the flags in the cycle after it, and ramOut, the external RAM's output after it.
struct GenaddrCycle {
    std::uint32_t readAddr = 0;
    std::uint32_t writeAddr = 0;
    bool blockWriteEnable = false;
    bool syncOut = false;
    bool blockFull = false;
    bool blockEmpty = false;
    std::optional<std::uint64_t> ramOut;
};

} // namespace zorvex::core
