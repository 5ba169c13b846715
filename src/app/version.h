#pragma once
// `raredozud --version`: the program's version and the libraries it runs with.
#include <string>

namespace app {

std::string versionText();

}  // namespace app
