#include "core_model/address_core.h"

namespace zorvex::core {

struct AddressCore::Comb {
  AddressStep step;
  bool first = false;
  // Convolutional.
  std::int64_t branch = 0, rotation = 0, delay = 0, base = 0;
  // Block.
  std::int64_t position = 0, addr = 0, stepValue = 1, acc = 0;
  bool writePhase = true;
};

AddressCore::AddressCore(const CoreSettings& settings, MemoryKind memory) : settings_(settings), memory_(memory) {
  const std::int64_t i = settings.depth;
  const std::int64_t j = settings.delay;
  const std::int64_t r = (i - 1) * j;
  const std::int64_t extra = memory == MemoryKind::External ? 1 : 0;
  rotationWords_ = r + extra;
  regionStep_ = memory == MemoryKind::External ? (std::int64_t{1} << BitLength(r)) : r;
  firstDelay_ = (settings.mode == IntMode::Interleaver ? 0 : r) + extra;
  blockSize_ = i * j;
  blockStep_ = settings.mode == IntMode::Interleaver ? j : i;
  branchDelay_ = firstDelay_;
}

AddressCore::Comb AddressCore::Evaluate(bool syncIn) const {
  Comb c;
  c.first = syncIn || pending_;
  if (settings_.type == IntType::Convolutional) {
    c.branch = c.first ? 0 : branch_;
    c.delay = c.first ? firstDelay_ : branchDelay_;
    c.base = c.first ? 0 : base_;
    c.rotation = c.branch == 0 ? (rotation_ == rotationWords_ - 1 ? 0 : rotation_ + 1) : rotation_;
    const std::int64_t readOffset =
        c.rotation >= c.delay ? c.rotation - c.delay : c.rotation + rotationWords_ - c.delay;
    c.step.writeAddr = static_cast<std::uint32_t>(c.base + c.rotation);
    c.step.readAddr = static_cast<std::uint32_t>(c.base + readOffset);
    return c;
  }
  c.position = c.first ? 0 : position_;
  c.addr = c.first ? 0 : addr_;
  c.acc = c.position == 0 ? 0 : acc_;
  if (settings_.type == IntType::Block) {
    c.writePhase = c.first || writePhase_;
    c.stepValue = c.writePhase ? 1 : blockStep_;
    c.step.writeEnable = c.writePhase;
    c.step.readAddr = static_cast<std::uint32_t>(c.addr);
    c.step.writeAddr = 0;
  } else {
    // A sync that cuts a block short starts the layout afresh; one at a block's start keeps it.
    c.stepValue = c.first && position_ != 0 ? 1 : step_;
    c.step.readAddr = static_cast<std::uint32_t>(c.addr);
    c.step.writeAddr = static_cast<std::uint32_t>(c.addr);
  }
  return c;
}

AddressStep AddressCore::Peek(bool syncIn) const { return Evaluate(syncIn).step; }

void AddressCore::Edge(bool syncIn, bool clockEnable) {
  if (!clockEnable) {
    pending_ = pending_ || syncIn;
    return;
  }
  const Comb c = Evaluate(syncIn);
  pending_ = false;
  StepFlags next;
  if (settings_.type == IntType::Convolutional) {
    const std::int64_t last = settings_.depth - 1;
    const bool interleaver = settings_.mode == IntMode::Interleaver;
    branch_ = c.branch == last ? 0 : c.branch + 1;
    branchDelay_ = c.branch == last ? firstDelay_ : (interleaver ? c.delay + settings_.delay : c.delay - settings_.delay);
    base_ = c.branch == last ? 0 : c.base + regionStep_;
    rotation_ = c.rotation;
    if (c.branch == 0) {
      // The frame's first symbol leaves branch 0 firstDelay_ rotations later; one frame start
      // is followed at a time, a later one arriving meanwhile is not.
      if (firstDelay_ == 0) {
        next.mark = c.first;
      } else {
        next.mark = syncCount_ == 1;
        if (c.first && syncCount_ <= 1) {
          syncCount_ = firstDelay_;
        } else if (syncCount_ > 0) {
          --syncCount_;
        }
      }
    }
    next.bypass = c.delay == 0;
    flags_ = next;
    return;
  }
  const std::int64_t modulus = blockSize_ - 1;
  const bool lastPosition = c.position == blockSize_ - 1;
  position_ = lastPosition ? 0 : c.position + 1;
  if (lastPosition) {
    addr_ = 0;
  } else if (c.position + 1 == modulus) {
    addr_ = modulus;
  } else {
    const std::int64_t sum = c.addr + c.stepValue;
    addr_ = sum >= modulus ? sum - modulus : sum;
  }
  if (settings_.type == IntType::Block) {
    writePhase_ = lastPosition ? !c.writePhase : c.writePhase;
    next.read = !c.writePhase;
    next.wrote = c.writePhase;
  } else {
    // The next block's step is this block's times blockStep_, summed over its first positions.
    std::int64_t acc = c.acc;
    if (c.position < blockStep_) {
      const std::int64_t sum = acc + c.stepValue;
      acc = sum >= modulus ? sum - modulus : sum;
    }
    acc_ = acc;
    step_ = lastPosition ? acc : c.stepValue;
    if (c.position == 0) {
      next.mark = blockSync_;
      blockSync_ = c.first;
    }
  }
  flags_ = next;
}

}  // namespace zorvex::core
