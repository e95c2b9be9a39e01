#pragma once

// The setup password check. The description carries no password, only its hash as the build
// writes it: "pbkdf2-sha256:<iterations>:<salt, hex>:<key, hex>", PBKDF2-HMAC-SHA256 over the
// password's UTF-8 bytes. The typed password is hashed the same way with Windows' own
// bcrypt.dll and the keys are compared. The password gates the wizard and nothing else: it
// does not encrypt the files in the setup.

#include <string>

namespace corvane::rt {

// True when typed is the password that stored was made from. A stored value that is not such
// a hash matches nothing.
bool passwordMatches(const std::wstring& typed, const std::wstring& stored);

}  // namespace corvane::rt
