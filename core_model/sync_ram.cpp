#include "core_model/sync_ram.h"

namespace zorvex::core {

void SyncRam::Edge(std::uint32_t readAddr, bool writeEnable, std::uint32_t writeAddr, std::optional<std::uint64_t> din)
{
    const bool undefined = writesLate_ && lastWrite_ == readAddr;
    q_ = readAddr < words_.size() && !undefined ? words_[readAddr] : std::nullopt;
    lastWrite_ = writeEnable ? std::optional<std::uint32_t>(writeAddr) : std::nullopt;
    if (writeEnable && writeAddr < words_.size())
        words_[writeAddr] = din;
}

} // namespace zorvex::core
