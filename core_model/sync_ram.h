#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zorvex::core {

// The common synchronous RAM: at an enabled edge it registers the word at the read address as
// its output (the old word when the write goes to the same address) and writes the write
// address. A word never written reads as "don't care" (std::nullopt). A RAM that writes late
// takes each write at the next enabled edge (conv_qzram's, or one beside genaddr), so a word read
// at the edge after its write reads as "don't care" too: the RAM block's own read of a word
// written at the same edge.
class SyncRam {
public:
    explicit SyncRam(std::int64_t words, bool writesLate = false)
        : words_(static_cast<std::size_t>(words)), writesLate_(writesLate)
    {
    }

    // One enabled edge. Addresses outside the RAM are a fault of the caller and are ignored
    // for writing and read as "don't care".
    void Edge(std::uint32_t readAddr, bool writeEnable, std::uint32_t writeAddr, std::optional<std::uint64_t> din);
    const std::optional<std::uint64_t>& q() const { return q_; }

private:
    std::vector<std::optional<std::uint64_t>> words_;
    std::optional<std::uint64_t> q_;
    bool writesLate_;
    std::optional<std::uint32_t> lastWrite_; // the address the last edge wrote
};

} // namespace zorvex::core
