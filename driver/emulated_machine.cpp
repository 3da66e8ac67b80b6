#include "driver/emulated_machine.h"

#include "core/controller_ports.h"

namespace qgu::driver {

void CEmulatedGameMachine::RunFrame(bool pressA) {
  machine_.ControllerPorts().Sync(pressA);
  machine_.RunFrame(draw_);
}

}  // namespace qgu::driver
