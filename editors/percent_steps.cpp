#include "editors/percent_steps.h"

namespace qgu::editors {
namespace {

constexpr int kMax = 100;

// One of the three linked defence values moves; the first partner takes up
// the difference, or the second when the first is already at its end. A
// partner never leaves 0..100: in a record whose three values do not add up
// to 100 (written by hand or by another program) the step then only moves
// the sum toward 100 instead of writing a value below 0.
void StepLinked(int& moved, int& first, int& second, bool up) {
  if (up) {
    if (moved >= kMax) return;
    ++moved;
    int& partner = first < 1 ? second : first;
    if (partner > 0) --partner;
  } else {
    if (moved <= 0) return;
    --moved;
    int& partner = first >= kMax ? second : first;
    if (partner < kMax) ++partner;
  }
}

void StepAlone(int& value, bool up) {
  if (up && value < kMax) ++value;
  if (!up && value > 0) --value;
}

}  // namespace

void StepPercentage(TeamPercentages& v, PercentBox box, int delta) {
  const bool up = delta >= 1;
  switch (box) {
    case PercentBox::kAdaptive: StepLinked(v.adaptive, v.quozi, v.jailbreak, up); break;
    case PercentBox::kJailbreak: StepLinked(v.jailbreak, v.adaptive, v.quozi, up); break;
    case PercentBox::kQuozi: StepLinked(v.quozi, v.adaptive, v.jailbreak, up); break;
    case PercentBox::kJailbreakRun: StepAlone(v.jailbreakRun, up); break;
    case PercentBox::kJailbreakPass: StepAlone(v.jailbreakPass, up); break;
    case PercentBox::kRun:
      StepAlone(v.run, up);
      v.pass = kMax - v.run;
      break;
    case PercentBox::kPass:
      StepAlone(v.pass, up);
      v.run = kMax - v.pass;
      break;
  }
}

}  // namespace qgu::editors
