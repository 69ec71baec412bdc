#pragma once
// Passwords are kept as salted hashes (Argon2id through libsodium); the
// password itself is never stored. Comparison stays exact: case and blanks
// count.

#include <QString>

namespace folha {

QString HashPassword(const QString& password);
// True when the stored value is a hash made by HashPassword.
bool IsPasswordHash(const QString& stored);
// Whether a typed password matches the stored value. A stored value that is
// not a hash is a password of the old plain-text form, compared as exact
// text; `legacy` tells the caller to replace it by its hash. Every check
// costs one hash with HashPassword's parameters, whatever the stored value
// (an empty one for a user that does not exist), so the time of a refusal
// tells nothing.
bool CheckPassword(const QString& typed, const QString& stored, bool* legacy = nullptr);

} // namespace folha
