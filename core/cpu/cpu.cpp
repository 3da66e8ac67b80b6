#include "core/cpu/cpu.h"

#include "core/apu/sound_unit.h"
#include "core/machine.h"
#include "core/mappers/mapper.h"

namespace qgu::core {

namespace {
constexpr uint16_t kResetVector = 0xFFFC;
// A loop that was not idle is looked at again after this many jumps back.
constexpr uint8_t kRejectedLoopWait = 63;
}  // namespace

CCpu::CCpu(CMachine& machine) : machine_(machine) {}
CCpu::~CCpu() = default;

void CCpu::Reset() {
  soundUnit_ = &machine_.SoundUnit();
  mapper_ = &machine_.Mapper();
  memory_ = &machine_.Memory();
  a_ = x_ = y_ = 0;
  s_ = 0xFF;
  p_ = kFlagZ | kFlagR;
  const uint8_t* vectors = memory_->cpuPage[7];
  pc_ = static_cast<uint16_t>(vectors[kResetVector & 0x1FFF] | (vectors[(kResetVector + 1) & 0x1FFF] << 8));
  pending_ = 0;
  total_ = 0;
  dmaStall_ = 0;
  plainCartridgeRam_ = mapper_->PlainCartridgeRam();
  skipIdleLoops_ = machine_.Settings().skipIdleLoops;
  idleLoop_.Forget();
  idleStep_ = -1;
  for (RejectedLoop& loop : rejected_) loop = {};
}

void CCpu::RaiseNmi() { pending_ |= kPendingNmi; }

void CCpu::RaiseIrq() {
  if (!(p_ & kFlagI)) pending_ |= kPendingIrq;
}

void CCpu::AddDmaStall(int cycles) { dmaStall_ += cycles; }

CCpu::Registers CCpu::GetRegisters() const {
  Registers registers{pc_, a_, x_, y_, s_, p_, pending_, total_, dmaStall_};
  if (idleStep_ >= 0) {
    const CIdleLoop::Registers& at = idleLoop_.StateAt(idleStep_);
    registers.pc = at.pc;
    registers.a = at.a;
    registers.x = at.x;
    registers.y = at.y;
    registers.p = at.p;
  }
  return registers;
}

void CCpu::SettleIdleRegisters() {
  const CIdleLoop::Registers& at = idleLoop_.StateAt(idleStep_);
  pc_ = at.pc;
  a_ = at.a;
  x_ = at.x;
  y_ = at.y;
  p_ = at.p;
  idleStep_ = -1;
}

void CCpu::SetRegisters(const Registers& r) {
  pc_ = r.pc;
  a_ = r.a;
  x_ = r.x;
  y_ = r.y;
  s_ = r.s;
  p_ = r.p;
  pending_ = r.pendingInterrupts;
  total_ = r.totalCycles;
  dmaStall_ = r.dmaStall;
  idleLoop_.Forget();
  idleStep_ = -1;
}

bool CCpu::LookForIdleLoop() {
  RejectedLoop& rejected = rejected_[pc_ % kRejectedLoops];
  if (rejected.head == pc_ && rejected.wait > 0) {
    --rejected.wait;
    return false;
  }
  if (idleLoop_.Find(*memory_, {pc_, a_, x_, y_, s_, p_}, plainCartridgeRam_)) return true;
  rejected = {pc_, kRejectedLoopWait};
  return false;
}

bool CCpu::IdleLoopUndisturbed() const {
  if (dmaStall_ != 0 || (pending_ & kPendingNmi)) return false;
  return (p_ & kFlagI) != 0 || (!(pending_ & kPendingIrq) && !mapper_->WantsCpuClock());
}

int CCpu::SpendInIdleLoop(int step, int request) {
  const CIdleLoop::Advance run = idleLoop_.Run(step, request);
  idleStep_ = run.step;
  total_ += static_cast<uint32_t>(run.cycles);
  idleCyclesSkipped_ += static_cast<uint64_t>(run.cycles);
  // The mapper sees the cycles at once, as it does a DMA stall's.
  if (mapper_->WantsCpuClock()) mapper_->CpuClock(run.cycles);
  return run.cycles;
}

int CCpu::SkipIdleLoop(int request, bool jumpedBack, uint64_t key) {
  if (!IdleLoopUndisturbed()) return 0;
  int step = idleLoop_.StepAt(*memory_, key);
  if (step < 0 && jumpedBack && LookForIdleLoop()) step = 0;
  if (step < 0) return 0;
  return SpendInIdleLoop(step, request);
}

int CCpu::Execute(int request) {
  if (soundUnit_->Sync(request)) RaiseIrq();
  if (request <= 0) return 0;
  if (idleStep_ >= 0) {
    // Still in the loop the last request was spent in: only what it reads
    // and what could interrupt it need looking at.
    if (IdleLoopUndisturbed() && idleLoop_.Unchanged(*memory_)) return SpendInIdleLoop(idleStep_, request);
  } else if (skipIdleLoops_ && idleLoop_.Covers(pc_)) {
    const uint64_t key = CIdleLoop::KeyOf(pc_, a_, x_, y_, s_, p_);
    if (const int skipped = SkipIdleLoop(request, false, key)) return skipped;
  }
  return Interpret(request);
}

}  // namespace qgu::core
