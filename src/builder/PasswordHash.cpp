#include "builder/PasswordHash.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

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

std::string passwordHash(std::string_view password, const PasswordSalt& salt, unsigned iterations) {
    std::array<std::uint8_t, 32> key{};
    if (PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), salt.data(), int(salt.size()),
                          int(iterations), EVP_sha256(), int(key.size()), key.data()) != 1)
        throw std::runtime_error("Cannot hash the setup password");
    return "pbkdf2-sha256:" + std::to_string(iterations) + ':' + hex(salt.data(), salt.size()) + ':' +
           hex(key.data(), key.size());
}

}  // namespace corvane::builder
