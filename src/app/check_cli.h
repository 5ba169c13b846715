#pragma once
// `raredozud check FOLDER_OR_ZIP`, `raredozud zip FOLDER ZIP` and
// `raredozud embed FILE...`.
namespace app {

// argv[0] is the subcommand's first argument. Exit status: 0 no fault,
// 1 faults found (or the zip could not be written), 2 usage error.
int checkCommand(int argc, char** argv);
int zipCommand(int argc, char** argv);
// 0 when every file got its script, 1 otherwise, 2 usage error.
int embedCommand(int argc, char** argv);

}  // namespace app
