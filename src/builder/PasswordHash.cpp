#include "builder/PasswordHash.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <stdexcept>

namespace corvane::builder {

namespace {

std::string hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

}  // namespace

PasswordSalt randomPasswordSalt() {
    PasswordSalt salt{};
    if (RAND_bytes(salt.data(), int(salt.size())) != 1)
        throw std::runtime_error("Cannot draw a random salt for the password");
    return salt;
}

PasswordSalt productPasswordSalt(std::string_view productIdentity) {
    static constexpr std::string_view kDomain = "Corvane setup password salt\n";
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool hashed = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1 &&
                        EVP_DigestUpdate(context, kDomain.data(), kDomain.size()) == 1 &&
                        EVP_DigestUpdate(context, productIdentity.data(), productIdentity.size()) == 1 &&
                        EVP_DigestFinal_ex(context, digest.data(), &length) == 1;
    EVP_MD_CTX_free(context);
    if (!hashed) throw std::runtime_error("Cannot derive a salt for the password");
    PasswordSalt salt{};
    std::copy_n(digest.begin(), salt.size(), salt.begin());
    return salt;
}

std::string passwordHash(std::string_view password, const PasswordSalt& salt, unsigned iterations) {
    std::array<std::uint8_t, 32> key{};
    if (PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), salt.data(), int(salt.size()),
                          int(iterations), EVP_sha256(), int(key.size()), key.data()) != 1)
        throw std::runtime_error("Cannot hash the setup password");
    return "pbkdf2-sha256:" + std::to_string(iterations) + ':' + hex(salt.data(), salt.size()) + ':' +
           hex(key.data(), key.size());
}

}  // namespace corvane::builder
