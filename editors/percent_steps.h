#pragma once
// One step of the team header's percentages, as the up-down arrows make it.
// "Quozi D %", "Adaptive D %" and "Jailbreak D %" are kept at a sum of 100,
// "Run %" and "Pass %" likewise; the two jailbreak split values step alone.

namespace qgu::editors {

struct TeamPercentages {
  int quozi = 100;     // "Quozi D %"
  int adaptive = 0;    // "Adaptive D %"
  int jailbreak = 0;   // "Jailbreak D %"
  int jailbreakRun = 100;   // "Jailbreak Run D %"
  int jailbreakPass = 100;  // "Jailbreak Pass D %"
  int run = 50;   // "Run %"
  int pass = 50;  // "Pass %"

  bool operator==(const TeamPercentages&) const = default;
};

enum class PercentBox { kQuozi, kAdaptive, kJailbreak, kJailbreakRun, kJailbreakPass, kRun, kPass };

// A delta below 1 steps down, anything else up. A step past 0 or 100 changes nothing.
void StepPercentage(TeamPercentages& values, PercentBox box, int delta);

}  // namespace qgu::editors
