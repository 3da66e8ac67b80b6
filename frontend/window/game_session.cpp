#include "frontend/window/game_session.h"

#include "frontend/window/boot_clock.h"

namespace qgu::frontend {

CGameSession::CGameSession(std::span<const uint8_t> image, const core::MachineSettings& settings,
                           std::unique_ptr<host::IFrameClock> clock)
    : machine_(std::make_unique<core::CMachine>(image, settings)),
      console_(std::make_unique<host::CMachineConsole>(*machine_)) {
  if (clock) {
    clock_ = std::move(clock);
    thread_ = std::make_unique<host::CEmulatorThread>(*clock_);
  } else {
    auto boot = std::make_unique<CBootClock>();
    CBootClock& bootClock = *boot;
    clock_ = std::move(boot);
    thread_ = std::make_unique<host::CEmulatorThread>(*clock_);
    bootClock.SetFastWhile([thread = thread_.get()] { return thread->DriverHoldsInput(); });
  }
}

CGameSession::~CGameSession() { Stop(); }

bool CGameSession::StartEmulation(const host::EmulatorDevices& devices, const host::PacingSettings& pacing,
                                  std::function<void(const std::string&)> notice, int64_t framesPlayed) {
  thread_->SetDevices(devices);
  thread_->SetSettings(pacing);
  thread_->SetNoticeHandler(std::move(notice));
  // The driver takes the input back at once; until it does the user's
  // devices are not read.
  thread_->SetDriverHoldsInput(true);
  started_ = std::chrono::steady_clock::now();
  stopped_ = false;
  return thread_->Start(*console_, framesPlayed);
}

void CGameSession::StartDriver(driver::DriverGame game, driver::IDriverUi& ui,
                               driver::CThreadedGame::Options options) {
  game_ = std::make_unique<driver::CThreadedGame>(*thread_, std::move(game), ui, std::move(options));
  game_->Start();
}

void CGameSession::Stop() {
  if (game_) game_->Stop();
  thread_->Stop();
  if (!stopped_ && started_ != std::chrono::steady_clock::time_point{}) {
    ran_ = std::chrono::steady_clock::now() - started_;
    stopped_ = true;
  }
}

host::RuntimeCounters CGameSession::Counters() const { return thread_->Counters(); }

double CGameSession::RunningSeconds() const {
  const auto ran = stopped_ ? ran_ : std::chrono::steady_clock::now() - started_;
  return std::chrono::duration<double>(ran).count();
}

}  // namespace qgu::frontend
