#pragma once
// qgu2 season ...: create, play and read a league's seasons from the command line.

namespace qgu::apps {

// argv[0] is "season". Returns the exit status: 0, 1 (failed), 2 (usage).
int RunSeasonCommand(int argc, char** argv);

}  // namespace qgu::apps
