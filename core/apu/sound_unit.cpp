// Placeholder until the sound unit is written: silent, no frame interrupt.
#include "core/apu/sound_unit.h"

#include <cstring>

namespace qgu::core {

namespace {
int16_t gNoSamples[256] = {};
}

CSoundUnit::CSoundUnit(CMachine& machine) : machine_(machine) {}
CSoundUnit::~CSoundUnit() = default;
void CSoundUnit::Reset() {}
void CSoundUnit::SetRate() {}
void CSoundUnit::Write(uint16_t, uint8_t) {}
uint8_t CSoundUnit::Read(uint16_t address) { return static_cast<uint8_t>(address >> 8); }
int CSoundUnit::Sync(int) { return 0; }
void CSoundUnit::Process(uint8_t* buffer, int bytes) { std::memset(buffer, 0, bytes); }
int CSoundUnit::ToggleMute(int) { return 1; }
int CSoundUnit::ChannelEnabled(int) const { return 1; }
CSoundUnit::FrameSequencerState CSoundUnit::GetFrameSequencer() const { return {}; }
void CSoundUnit::SetFrameSequencer(const FrameSequencerState&) {}
void CSoundUnit::ClearQueues() {}
const int16_t* CSoundUnit::RecentSamples() const { return gNoSamples; }

}  // namespace qgu::core
