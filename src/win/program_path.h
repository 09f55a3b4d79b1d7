#pragma once

#include <string>

namespace vostrel {

// The running program's own file, whatever its length (a deep folder with long
// paths turned on) and whatever characters its folders hold; empty on failure.
std::wstring ownProgramPath();

}  // namespace vostrel
