#include "Passwords.h"

#include "DbError.h"

#include <sodium.h>

namespace folha {

static void initSodium() {
    static const bool ok = sodium_init() >= 0;
    if (!ok) throw DbError(QStringLiteral("Não foi possível iniciar a biblioteca de criptografia"));
}

QString HashPassword(const QString& password) {
    initSodium();
    QByteArray pw = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, pw.constData(), quint64(pw.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw DbError(QStringLiteral("Memória insuficiente para gerar a senha"));
    sodium_memzero(pw.data(), size_t(pw.size()));
    return QString::fromLatin1(out);
}

// A hash made with the parameters HashPassword uses, of no password anybody
// knows: checking a typed password against it costs what checking against a
// user's hash costs, so a refusal takes the same time whether the user
// exists, has a hash or still has an old plain-text password.
static const QByteArray& DummyHash() {
    static const QByteArray h = QByteArrayLiteral("$argon2id$v=19$m=") +
                                QByteArray::number(quint64(crypto_pwhash_MEMLIMIT_INTERACTIVE) / 1024) +
                                QByteArrayLiteral(",t=") + QByteArray::number(quint64(crypto_pwhash_OPSLIMIT_INTERACTIVE)) +
                                QByteArrayLiteral(",p=1$") + QByteArray(22, 'A') + '$' + QByteArray(43, 'A');
    return h;
}

bool IsPasswordHash(const QString& stored) { return stored.startsWith(QLatin1String("$argon2")); }

bool CheckPassword(const QString& typed, const QString& stored, bool* legacy) {
    if (legacy) *legacy = false;
    if (IsPasswordHash(stored)) {
        initSodium();
        QByteArray pw = typed.toUtf8();
        QByteArray h = stored.toLatin1();
        bool ok = crypto_pwhash_str_verify(h.constData(), pw.constData(), quint64(pw.size())) == 0;
        sodium_memzero(pw.data(), size_t(pw.size()));
        return ok;
    }
    // Old plain-text value; a null password matches only an empty one. The
    // check costs a hash all the same.
    initSodium();
    QByteArray pw = typed.toUtf8();
    const int dummy = crypto_pwhash_str_verify(DummyHash().constData(), pw.constData(), quint64(pw.size()));
    (void)dummy;
    sodium_memzero(pw.data(), size_t(pw.size()));
    if (typed != stored) return false;
    if (legacy) *legacy = true;
    return true;
}

} // namespace folha
