#pragma once

// The setup password as the setup carries it: never the password itself, which authors reuse
// and anyone could read from the setup file, but a salted, slow PBKDF2-HMAC-SHA256 hash of its
// UTF-8 bytes, written as
//
//     pbkdf2-sha256:<iterations>:<salt, hex>:<32-byte key, hex>
//
// Setup.exe derives the key from what the user types with Windows' own PBKDF2 and compares.
// The password only gates the wizard; the files in the setup are not encrypted by it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::builder {

// Slow enough to make guessing expensive, fast enough for a check on a modest machine
// (about a tenth of a second under wine on this project's build machine).
constexpr unsigned kPasswordIterations = 100000;

using PasswordSalt = std::array<std::uint8_t, 16>;

// A fresh random salt from the system's generator; throws std::runtime_error when it fails.
PasswordSalt randomPasswordSalt();
// A salt drawn from what names the product (never from the password), so that two builds of the
// same project write the same hash while different products still get different salts.
PasswordSalt productPasswordSalt(std::string_view productIdentity);
std::string passwordHash(std::string_view password, const PasswordSalt& salt,
                         unsigned iterations = kPasswordIterations);

}  // namespace corvane::builder
