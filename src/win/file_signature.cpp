#include "win/file_signature.h"

#include "win/unique_handle.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <vector>

namespace vostrel {
namespace {

constexpr ULONG kSha256Size = 32;

// The SHA-256 of the file's bytes; empty when it cannot be read. Windows 7's CNG
// has no BCryptHash and wants the hash object's memory from the caller.
std::vector<UCHAR> sha256OfFile(const std::wstring& path) {
    UniqueBCryptAlgorithm algorithm;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return {};
    DWORD objectSize = 0;
    ULONG got = 0;
    if (!BCRYPT_SUCCESS(BCryptGetProperty(algorithm.get(), BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                          sizeof objectSize, &got, 0))) {
        return {};
    }
    std::vector<UCHAR> object(objectSize);
    UniqueBCryptHash hash;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), hash.put(), object.data(), objectSize, nullptr, 0, 0))) {
        return {};
    }
    // Shared for deletion: a stopped download removes its file whoever reads it.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return {};
    std::vector<UCHAR> block(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) return {};
        if (read == 0) break;
        if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), block.data(), read, 0))) return {};
    }
    std::vector<UCHAR> digest(kSha256Size);
    if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), digest.data(), kSha256Size, 0))) return {};
    return digest;
}

}  // namespace

bool isSignedFile(const std::wstring& path, std::string_view signature, std::string_view publicKey) {
    if (signature.size() != p256::kSignatureSize || publicKey.size() != p256::kPublicKeySize) return false;

    UniqueBCryptAlgorithm ecdsa;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(ecdsa.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        return false;
    }
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + p256::kPublicKeySize);
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, p256::kPublicKeySize / 2};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, publicKey.data(), publicKey.size());
    UniqueBCryptKey key;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.put(), blob.data(),
                                            static_cast<ULONG>(blob.size()), 0))) {
        return false;
    }

    std::vector<UCHAR> digest = sha256OfFile(path);
    if (digest.empty()) return false;
    std::vector<UCHAR> raw(signature.begin(), signature.end());
    return BCryptVerifySignature(key.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()), raw.data(),
                                 static_cast<ULONG>(raw.size()), 0) == 0;  // STATUS_SUCCESS, nothing else
}

}  // namespace vostrel
