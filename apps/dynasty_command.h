#pragma once
// qgu2 dynasty ...: a league that lives for years, from the command line.

namespace qgu::apps {

// argv[0] is "dynasty". Returns the exit status: 0, 1 (failed), 2 (usage).
int RunDynastyCommand(int argc, char** argv);

}  // namespace qgu::apps
