// Whether a file is what the holder of an ECDSA P-256 private key signed, checked
// by Windows' own CNG (bcrypt.dll): the signature is over the file's SHA-256.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel {

namespace p256 {
constexpr std::size_t kPublicKeySize = 64;  // the point: X then Y, 32 bytes each, big-endian
constexpr std::size_t kSignatureSize = 64;  // r then s, 32 bytes each, big-endian
}  // namespace p256

// True only when signature is the key holder's signature of the file's bytes as
// they are now. Any other size of either, a key that is no point of the curve, a
// file that cannot be read all answer false.
bool isSignedFile(const std::wstring& path, std::string_view signature, std::string_view publicKey);

}  // namespace vostrel
