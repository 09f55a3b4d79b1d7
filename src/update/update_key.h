// The public half of the key that signs the maker's programs, built in from the
// CMake variable VOSTREL_UPDATE_PUBLIC_KEY: the P-256 point, X then Y, 64 bytes.
// Empty in a build without one, which refuses every update.
#pragma once

#include <string>

namespace vostrel {

const std::string& updatePublicKey();

}  // namespace vostrel
