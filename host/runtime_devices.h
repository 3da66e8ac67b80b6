#pragma once
// What the emulator thread drives besides the machine: the picture, the sound
// stream, the input devices and the netplay link. CVideoOutput, CDirectSound,
// CDirectInput and CNetplayLink implement these; tests use small fakes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qgu::host {

class CRollbackLink;

class IVideoSink {
 public:
  virtual ~IVideoSink() = default;
  // The render buffer handed to the picture unit (kRenderBufferBytes).
  virtual uint8_t* RenderBuffer() = 0;
  // Emphasis row ($2001 bits 5-7 as 0-7) and greyscale ($2001 bit 0) of the frame.
  virtual void SetEmphasis(int row, bool greyscale) = 0;
  // Converts the finished frame into the back picture.
  virtual void RenderFrame() = 0;
  // Shows the back picture (the window repaints from it).
  virtual void PresentFrame() = 0;
  // Drawn over the picture; empty for none.
  virtual void SetInfoText(std::string_view text) = 0;
};

class ISoundStream {
 public:
  virtual ~ISoundStream() = default;
  virtual void StartStream() = 0;
  virtual void StopStream() = 0;
  virtual void PauseStream() = 0;
  virtual void ResumeStream() = 0;
  // The block after the play cursor, when the cursor has moved into a new block.
  virtual bool NextFreeBlock(size_t& offset, size_t& size) = 0;
  // Room for size bytes at offset, to be filled and handed back with Unlock.
  virtual uint8_t* Lock(size_t offset, size_t size) = 0;
  virtual void Unlock() = 0;
  // Times the play cursor had moved on more than one block since the last look.
  virtual int64_t BlocksMissed() const = 0;
};

class IInputSource {
 public:
  virtual ~IInputSource() = default;
  virtual void Poll() = 0;
  // Polls for the frame about to run (1 = the first the emulator thread
  // runs); devices need not know it, scripted input follows it.
  virtual void PollForFrame(int64_t /*frame*/) { Poll(); }
  // Host buttons of the four pads (bit n: host button n) as of the last poll.
  virtual std::array<uint16_t, 4> PadButtons() const = 0;
};

// Controller input exchanged with another program, frame by frame.
class IFrameInputLink {
 public:
  virtual ~IFrameInputLink() = default;
  virtual bool Connected() const = 0;
  // Hands over this program's frame input and returns the one both programs
  // use for this frame; nothing when the link has closed (see CloseReason).
  virtual std::optional<uint32_t> ExchangeFrameInput(uint32_t local) = 0;
  virtual std::string CloseReason() const = 0;
  virtual void Disconnect() = 0;
  // For the read-out: the other side and the link's state; waiting: while
  // the other side's input is awaited.
  virtual std::string StatusText(bool /*waiting*/) const { return {}; }
  // Called on the exchanging thread about four times a second while it waits.
  virtual void SetWaitingHandler(std::function<void()> /*handler*/) {}
  // From another thread: ends a wait for the other side at once (the link closes).
  virtual void Interrupt() {}
  // The machine's state after a frame, to be compared with the other side's.
  virtual void OfferStateHash(int64_t /*frame*/, uint64_t /*hash*/) {}
  // Ends the link for a reason of this side's own.
  virtual void Close(const std::string& /*reason*/) { Disconnect(); }
  // A rollback game's link: the emulator thread then runs the frames ahead
  // of the other side's input instead of exchanging it (host/rollback_session.h).
  virtual CRollbackLink* Rollback() { return nullptr; }
};

}  // namespace qgu::host
