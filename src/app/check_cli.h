#pragma once
// `raredozud check FOLDER_OR_ZIP` and `raredozud complete FOLDER`.
namespace app {

// argv[0] is the subcommand's first argument. Exit status: 0 no fault,
// 1 faults found, 2 usage error.
int checkCommand(int argc, char** argv);
// The copy step: the course player and schemas into FOLDER, the scripts for
// a course opened from disk, and FOLDER.zip with the course's own files.
// Exit status: 0 done, 1 a step failed (said on standard error), 2 usage.
int completeCommand(int argc, char** argv);

}  // namespace app
