#pragma once
// `raredozud check FOLDER_OR_ZIP` and `raredozud zip [--scripts] FOLDER ZIP`.
namespace app {

// argv[0] is the subcommand's first argument. Exit status: 0 no fault,
// 1 faults found (or the zip could not be written), 2 usage error.
int checkCommand(int argc, char** argv);
// --scripts first writes the scripts that pages opened from disk read (the
// outline and test data as FILE.js), then packs.
int zipCommand(int argc, char** argv);

}  // namespace app
