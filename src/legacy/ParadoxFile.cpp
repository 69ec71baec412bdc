#include "ParadoxFile.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <iconv.h>
#include <mutex>
#include <optional>
#include <unistd.h>
extern "C" {
#include <paradox.h>
}

namespace folha::legacy {

namespace {

// Julian day of the day before 1 January of year 1: Paradox counts days
// from there.
constexpr qint64 DayZero = 1721425;
constexpr double MsPerDay = 86400000.0;

// Zeroed: pxlib leaves fields of the header it makes for a new file unset
// (the password among them) and writes them into the file.
void* pxAlloc(pxdoc_t*, size_t size, const char*) { return std::calloc(1, size); }
void* pxRealloc(pxdoc_t*, void* mem, size_t size, const char*) { return std::realloc(mem, size); }
void pxFree(pxdoc_t*, void* mem) { std::free(mem); }

// The library's complaints, kept for the messages of the import instead of
// being printed.
void pxError(pxdoc_t*, int, const char* msg, void* data) {
    if (data && msg) *static_cast<QStringList*>(data) << QString::fromLocal8Bit(msg).trimmed();
}

// pxlib prints some complaints to the standard error itself. While it
// works, the standard error goes to a temporary file, whose lines come back
// as messages. One capture at a time in the process.
class StderrCapture {
public:
    StderrCapture() : lock_(mutex()) {
        std::fflush(stderr);
        file_ = std::tmpfile();
        if (!file_) return;
        saved_ = ::dup(2);
        if (saved_ < 0 || ::dup2(::fileno(file_), 2) < 0) {
            if (saved_ >= 0) ::close(saved_);
            saved_ = -1;
        }
    }
    ~StderrCapture() { finish(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    QStringList finish() {
        QStringList lines;
        if (!file_) return lines;
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
        std::rewind(file_);
        QByteArray text;
        char buffer[512];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0 && text.size() < 65536;)
            text.append(buffer, qsizetype(n));
        std::fclose(file_);
        file_ = nullptr;
        for (const QByteArray& line : text.split('\n'))
            if (!line.trimmed().isEmpty()) lines << QString::fromLocal8Bit(line.trimmed());
        return lines;
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    std::lock_guard<std::mutex> lock_;
    FILE* file_ = nullptr;
    int saved_ = -1;
};

ParadoxType typeOf(char t) {
    switch (t) {
    case pxfAlpha: return ParadoxType::Alpha;
    case pxfDate: return ParadoxType::Date;
    case pxfShort: return ParadoxType::Short;
    case pxfLong: return ParadoxType::Long;
    case pxfCurrency: return ParadoxType::Currency;
    case pxfNumber: return ParadoxType::Number;
    case pxfLogical: return ParadoxType::Logical;
    case pxfMemoBLOb: return ParadoxType::Memo;
    case pxfFmtMemoBLOb: return ParadoxType::FormattedMemo;
    case pxfBLOb: return ParadoxType::Blob;
    case pxfTime: return ParadoxType::Time;
    case pxfTimestamp: return ParadoxType::Timestamp;
    case pxfAutoInc: return ParadoxType::AutoInc;
    case pxfBCD: return ParadoxType::Bcd;
    default: return ParadoxType::Other;
    }
}

char codeOf(ParadoxType t) {
    switch (t) {
    case ParadoxType::Alpha: return pxfAlpha;
    case ParadoxType::Date: return pxfDate;
    case ParadoxType::Short: return pxfShort;
    case ParadoxType::Long: return pxfLong;
    case ParadoxType::Currency: return pxfCurrency;
    case ParadoxType::Number: return pxfNumber;
    case ParadoxType::Logical: return pxfLogical;
    case ParadoxType::Memo: return pxfMemoBLOb;
    case ParadoxType::FormattedMemo: return pxfFmtMemoBLOb;
    case ParadoxType::Blob: return pxfBLOb;
    case ParadoxType::Time: return pxfTime;
    case ParadoxType::Timestamp: return pxfTimestamp;
    case ParadoxType::AutoInc: return pxfAutoInc;
    case ParadoxType::Bcd: return pxfBCD;
    case ParadoxType::Other: break;
    }
    return pxfBytes;
}

// Bytes in the record of a field of a type (alpha and memo take theirs).
int storedLength(const ParadoxField& f) {
    switch (f.type) {
    case ParadoxType::Date:
    case ParadoxType::Long:
    case ParadoxType::Time:
    case ParadoxType::AutoInc: return 4;
    case ParadoxType::Short: return 2;
    case ParadoxType::Currency:
    case ParadoxType::Number:
    case ParadoxType::Timestamp: return 8;
    case ParadoxType::Logical: return 1;
    case ParadoxType::Bcd: return 17;
    default: return f.length;
    }
}

// One direction of a code page conversion.
class Converter {
public:
    Converter(const QString& to, const QString& from) {
        cd_ = iconv_open(to.toLatin1().constData(), from.toLatin1().constData());
    }
    ~Converter() {
        if (cd_ != iconv_t(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != iconv_t(-1); }
    // False when a character has no equivalent.
    bool convert(const QByteArray& in, QByteArray& out) {
        out.clear();
        if (in.isEmpty()) return true;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 4 + 4);
        char* ip = const_cast<char*>(in.constData());
        size_t il = size_t(in.size());
        char* op = out.data();
        size_t ol = size_t(out.size());
        if (iconv(cd_, &ip, &il, &op, &ol) == size_t(-1)) return false;
        out.resize(out.size() - int(ol));
        return true;
    }

private:
    iconv_t cd_ = iconv_t(-1);
};

// A BCD value: the first byte holds the sign (high bit set: positive) and
// the number of decimal places, then 32 digits, one per half byte, the
// decimal places last; a negative number has every digit complemented. The
// text is plain "-123.4500", trailing zeros beyond the fourth place dropped
// so that only significant places count. Gives the reason when the value
// cannot be taken.
QString bcdValue(const quint8* data, int decimals, QString& text) {
    if (decimals < 0 || decimals > 32)
        return QStringLiteral("o campo BCD declara %1 casas decimais (no máximo 32)").arg(decimals);
    const int places = data[0] & 0x3f;
    if (places != decimals)
        return QStringLiteral("valor BCD com %1 casas decimais num campo de %2").arg(places).arg(decimals);
    const quint8 complement = (data[0] & 0x80) ? 0x0 : 0xf;
    QString digits;
    for (int i = 2; i < 34; ++i) {
        const quint8 nibble = quint8(((i % 2) ? data[i / 2] : data[i / 2] >> 4) & 0x0f) ^ complement;
        if (nibble > 9) return QStringLiteral("dígito BCD inválido");
        digits += QChar(u'0' + nibble);
    }
    QString whole = digits.left(32 - decimals);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0'))) whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    QString fraction = digits.right(decimals);
    while (fraction.size() > 4 && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    text = (complement ? QStringLiteral("-") : QString()) + whole;
    if (!fraction.isEmpty()) text += QLatin1Char('.') + fraction;
    return {};
}

// Dates the import takes: none before 1900 (a day count gone wrong) nor
// past 9999.
QString dateProblem(const QDate& date, qint64 days) {
    if (!date.isValid() || date.year() > 9999 || date.year() < 1)
        return QStringLiteral("data impossível (%1 dias)").arg(days);
    if (date.year() < 1900)
        return QStringLiteral("data implausível, anterior a 1900 (%1)").arg(date.toString(QStringLiteral("dd/MM/yyyy")));
    return {};
}

// Integers and floating point are stored big-endian with the sign bit
// inverted, so that the bytes sort as the numbers do; all bytes zero is an
// empty field. Read here, as pxlib's own null test reads past the field.
std::optional<qint64> storedInteger(const char* data, int bytes) {
    quint8 b[8];
    bool empty = true;
    for (int i = 0; i < bytes; ++i) {
        b[i] = quint8(data[i]);
        empty = empty && b[i] == 0;
    }
    if (empty) return std::nullopt;
    b[0] ^= 0x80;
    qint64 v = (b[0] & 0x80) ? -1 : 0; // sign extension
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[i];
    return v;
}

std::optional<double> storedDouble(const char* data) {
    quint8 b[8];
    bool empty = true;
    for (int i = 0; i < 8; ++i) {
        b[i] = quint8(data[i]);
        empty = empty && b[i] == 0;
    }
    if (empty) return std::nullopt;
    if (b[0] & 0x80)
        b[0] &= 0x7f;
    else
        for (quint8& x : b) x = quint8(~x);
    quint64 bits = 0;
    for (quint8 x : b) bits = (bits << 8) | x;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

quint16 le16(const QByteArray& b, int at) { return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8)); }

} // namespace

QString ParadoxTypeName(ParadoxType type) {
    switch (type) {
    case ParadoxType::Alpha: return QStringLiteral("alfanumérico");
    case ParadoxType::Date: return QStringLiteral("data");
    case ParadoxType::Short: return QStringLiteral("inteiro curto");
    case ParadoxType::Long: return QStringLiteral("inteiro longo");
    case ParadoxType::Currency: return QStringLiteral("moeda");
    case ParadoxType::Number: return QStringLiteral("número");
    case ParadoxType::Logical: return QStringLiteral("lógico");
    case ParadoxType::Memo: return QStringLiteral("memo");
    case ParadoxType::FormattedMemo: return QStringLiteral("memo formatado");
    case ParadoxType::Blob: return QStringLiteral("binário");
    case ParadoxType::Time: return QStringLiteral("hora");
    case ParadoxType::Timestamp: return QStringLiteral("data e hora");
    case ParadoxType::AutoInc: return QStringLiteral("autoincremento");
    case ParadoxType::Bcd: return QStringLiteral("BCD");
    case ParadoxType::Other: break;
    }
    return QStringLiteral("não suportado");
}

QString CodePageName(int codePage) {
    if (codePage <= 0) codePage = 1252;
    return QStringLiteral("CP%1").arg(codePage);
}

// ---------------------------------------------------------------- reader

struct ParadoxReader::Impl {
    pxdoc_t* doc = nullptr;
    FILE* fp = nullptr;
    QStringList messages; // pxlib's
    std::unique_ptr<Converter> toUnicode;
    QByteArray record;
    QList<int> offsets;
    QFile memoFile;
    // The data blocks in the order of their chain: where each starts and
    // the number of rows before it, for reading rows in order without a
    // search per row.
    QFile dataFile;
    struct Block {
        qint64 position;
        int firstRow;
        int rows;
    };
    std::vector<Block> blocks;
    size_t current = 0;

    // The bytes of a memo: in the record when they fit its leader, else in
    // the memo file, in a block of its own (type 2) or a shared one (type 3).
    // Null with `why` set when the memo cannot be read.
    QByteArray memo(const char* data, int length, quint32 size, QString& why) {
        const int leader = length - 10;
        if (size <= quint32(leader)) return QByteArray(data, int(size));
        auto fail = [&](const QString& reason) {
            why = QStringLiteral("memo ilegível (%1)").arg(reason);
            return QByteArray();
        };
        if (!memoFile.isOpen()) return fail(QStringLiteral("falta o arquivo de memos .MB"));
        const auto* p = reinterpret_cast<const quint8*>(data + leader);
        const quint32 pointer = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
        const qint64 offset = pointer & 0xffffff00u;
        const int index = int(pointer & 0xffu);
        if (offset == 0 || offset + 12 > memoFile.size() || !memoFile.seek(offset))
            return fail(QStringLiteral("posição fora do arquivo de memos"));
        const QByteArray head = memoFile.read(12);
        if (head.size() < 9) return fail(QStringLiteral("arquivo de memos truncado"));
        qint64 start = 0;
        if (quint8(head[0]) == 2) {
            const quint32 stored = quint32(quint8(head[3])) | (quint32(quint8(head[4])) << 8) |
                                   (quint32(quint8(head[5])) << 16) | (quint32(quint8(head[6])) << 24);
            if (stored != size) return fail(QStringLiteral("tamanho divergente"));
            start = offset + 9;
        } else if (quint8(head[0]) == 3) {
            if (!memoFile.seek(offset + 12 + index * 5)) return fail(QStringLiteral("arquivo de memos truncado"));
            const QByteArray slot = memoFile.read(5);
            if (slot.size() < 5) return fail(QStringLiteral("arquivo de memos truncado"));
            const quint32 stored = (quint32(quint8(slot[1])) - 1) * 16 + quint8(slot[4]);
            if (stored != size) return fail(QStringLiteral("tamanho divergente"));
            start = offset + qint64(quint8(slot[0])) * 16;
        } else {
            return fail(QStringLiteral("bloco de memo inválido"));
        }
        if (start + qint64(size) > memoFile.size() || !memoFile.seek(start)) return fail(QStringLiteral("arquivo de memos truncado"));
        return memoFile.read(qint64(size));
    }

    ~Impl() {
        if (doc) PX_delete(doc);
        if (fp) std::fclose(fp);
    }
    QString text(const QByteArray& raw) {
        QByteArray out;
        if (toUnicode && toUnicode->valid() && toUnicode->convert(raw, out)) return QString::fromUtf8(out);
        return QString::fromLatin1(raw);
    }
};

ParadoxReader::ParadoxReader(const QString& path) : d_(std::make_unique<Impl>()), path_(path) {
    const QString name = QFileInfo(path).fileName();
    auto damaged = [&](const QString& why) {
        return ParadoxError(QStringLiteral("O arquivo %1 está danificado: %2").arg(name, why));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1: %2").arg(name, file.errorString()));
    const qint64 size = file.size();
    QByteArray head = file.read(0x78);
    const QString notParadox = QStringLiteral("não é uma tabela Paradox");
    if (head.size() < 0x78) throw damaged(notParadox);
    // Everything pxlib would trust is checked here first: with a bad
    // version, a password or a block chain that loops, its opening of the
    // file never ends.
    // The fixed part of the header: record size, header size (whole 2 KB
    // units), file kind and block size in KB.
    const int recordSize = le16(head, 0);
    const int headerSize = le16(head, 2);
    const int fileType = quint8(head[4]);
    const int blockKb = quint8(head[5]);
    if (recordSize == 0 || headerSize < 0x800 || headerSize % 0x800 != 0 || fileType > 8 ||
        !(blockKb == 1 || blockKb == 2 || blockKb == 3 || blockKb == 4 || blockKb == 8 || blockKb == 16 || blockKb == 32))
        throw damaged(notParadox);
    if (headerSize > size) throw damaged(QStringLiteral("arquivo truncado, o cabeçalho da tabela está incompleto"));
    if (fileType != pxfFileTypIndexDB && fileType != pxfFileTypNonIndexDB)
        throw damaged(QStringLiteral("é um índice Paradox, não uma tabela"));
    // Version codes 5 to 12 are Paradox 4 to 7, whose header carries the
    // code page and the second password field; pxlib reads neither for the
    // older codes and takes the password from memory never written.
    const int versionCode = quint8(head[0x39]);
    if (versionCode < 5 || versionCode > 12)
        throw damaged(QStringLiteral("versão do Paradox não suportada (código %1)").arg(versionCode));
    auto le32 = [](const QByteArray& b, int at) {
        return quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16);
    };
    quint32 encryption = le32(head, 0x25);
    if (encryption == 0xFF00FF00u) encryption = le32(head, 0x5C);
    if (encryption != 0)
        throw damaged(QStringLiteral("a tabela é protegida por senha; remova a senha no Paradox e importe de novo"));
    const qint64 records = qint32(le32(head, 0x06));
    const int fileBlocks = le16(head, 0x0C);
    const int firstBlock = le16(head, 0x0E);
    const int numFields = qint16(le16(head, 0x21));
    const qint64 blockSize = qint64(blockKb) * 0x400;
    if (numFields <= 0 || numFields > 255 || 0x78 + numFields * 2 > headerSize)
        throw damaged(QStringLiteral("número de campos inválido (%1)").arg(numFields));
    if (recordSize + 6 > blockSize)
        throw damaged(QStringLiteral("registro de %1 bytes não cabe num bloco de %2 bytes").arg(recordSize).arg(blockSize));
    if (records < 0) throw damaged(QStringLiteral("número de linhas inválido (%1)").arg(records));
    // pxlib counts blocks in a signed 16-bit number.
    if (fileBlocks > 0x7fff) throw damaged(QStringLiteral("número de blocos inválido (%1)").arg(fileBlocks));
    const qint64 expected = qint64(headerSize) + qint64(fileBlocks) * blockSize;
    if (expected > size)
        throw damaged(QStringLiteral("arquivo truncado, faltam %1 bytes dos blocos de dados").arg(expected - size));
    head += file.read(headerSize - 0x78);
    if (head.size() < headerSize) throw damaged(QStringLiteral("arquivo truncado, o cabeçalho da tabela está incompleto"));
    int fieldBytes = 0;
    for (int i = 0; i < numFields; ++i) {
        const char type = head[0x78 + i * 2];
        const int length = quint8(head[0x78 + i * 2 + 1]);
        fieldBytes += type == pxfBCD ? 17 : length;
    }
    if (fieldBytes != recordSize)
        throw damaged(QStringLiteral("os campos somam %1 bytes e o registro tem %2").arg(fieldBytes).arg(recordSize));

    // The chain of data blocks, each with a 6-byte head: next block, previous
    // block, and the bytes used after the first record. Walked once, every
    // block at most once.
    std::vector<bool> seen(size_t(fileBlocks) + 1, false);
    qint64 counted = 0;
    for (int block = firstBlock; block != 0;) {
        if (block > fileBlocks)
            throw damaged(QStringLiteral("a cadeia de blocos de dados aponta para o bloco %1 e o arquivo tem %2").arg(block).arg(fileBlocks));
        if (seen[size_t(block)]) throw damaged(QStringLiteral("a cadeia de blocos de dados volta ao bloco %1").arg(block));
        seen[size_t(block)] = true;
        const qint64 position = headerSize + qint64(block - 1) * blockSize;
        if (!file.seek(position)) throw damaged(QStringLiteral("o bloco de dados %1 está fora do arquivo").arg(block));
        const QByteArray blockHead = file.read(6);
        if (blockHead.size() < 6) throw damaged(QStringLiteral("o bloco de dados %1 está fora do arquivo").arg(block));
        const int used = qint16(le16(blockHead, 4));
        if (used < -recordSize || used % recordSize != 0 || 6 + qint64(used) + recordSize > blockSize)
            throw damaged(QStringLiteral("o bloco de dados %1 é inválido").arg(block));
        const int rowsHere = used / recordSize + 1;
        d_->blocks.push_back({position + 6, int(counted), rowsHere});
        counted += rowsHere;
        if (counted > records) break;
        block = le16(blockHead, 0);
    }
    if (counted != records)
        throw damaged(QStringLiteral("o cabeçalho conta %1 linhas e os blocos de dados têm %2%3")
                          .arg(records)
                          .arg(counted)
                          .arg(counted > records ? QStringLiteral(" ou mais") : QString()));
    file.close();

    d_->doc = PX_new3(pxError, pxAlloc, pxRealloc, pxFree, &d_->messages);
    if (!d_->doc) throw ParadoxError(QStringLiteral("Sem memória para ler %1.").arg(name));
    d_->fp = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!d_->fp) throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1.").arg(name));
    int opened = -1;
    {
        StderrCapture capture;
        opened = PX_open_fp(d_->doc, d_->fp);
        d_->messages += capture.finish();
    }
    libraryMessages_ = d_->messages;
    if (opened < 0)
        throw damaged(d_->messages.isEmpty() ? notParadox : QStringLiteral("pxlib: %1").arg(d_->messages.join(QStringLiteral("; "))));
    pxhead_t* h = d_->doc->px_head;
    version_ = h->px_fileversion;
    codePage_ = h->px_doscodepage > 0 ? h->px_doscodepage : 1252;
    if (h->px_numfields != numFields || h->px_recordsize != recordSize || h->px_numrecords != records)
        throw damaged(QStringLiteral("o cabeçalho não pôde ser lido"));

    int offset = 0;
    for (int i = 0; i < h->px_numfields; ++i) {
        const pxfield_t& pf = h->px_fields[i];
        ParadoxField f;
        f.name = QString::fromLatin1(pf.px_fname ? pf.px_fname : "");
        f.type = typeOf(pf.px_ftype);
        f.length = pf.px_flen;
        f.decimals = pf.px_fdc;
        fields_ << f;
        d_->offsets << offset;
        offset += pf.px_flen;
    }
    rows_ = int(records);
    d_->dataFile.setFileName(path);
    if (!d_->dataFile.open(QIODevice::ReadOnly)) throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1.").arg(name));
    d_->record.resize(recordSize);
    d_->toUnicode = std::make_unique<Converter>(QStringLiteral("UTF-8"), CodePageName(codePage_));

    // The memo file beside the table, whatever the case of its name. Memos
    // are read here rather than by pxlib, whose reading of the memo file's
    // header overruns its buffer.
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    QDir dir = info.dir();
    for (const QString& entry : dir.entryList(QDir::Files)) {
        const QFileInfo e(entry);
        if (e.completeBaseName().compare(base, Qt::CaseInsensitive) == 0 && e.suffix().compare("MB", Qt::CaseInsensitive) == 0) {
            d_->memoFile.setFileName(dir.filePath(entry));
            d_->memoFile.open(QIODevice::ReadOnly);
            break;
        }
    }
}

ParadoxReader::~ParadoxReader() = default;

QVariantList ParadoxReader::row(int n, QList<UnreadableValue>* unreadable) {
    const QString name = QFileInfo(path_).fileName();
    char* rec = d_->record.data();
    std::memset(rec, 0, size_t(d_->record.size()));
    if (n < 0 || n >= rows_) throw ParadoxError(QStringLiteral("O arquivo %1 não tem a linha %2.").arg(name).arg(n + 1));
    auto& blocks = d_->blocks;
    size_t& b = d_->current;
    if (b >= blocks.size() || n < blocks[b].firstRow || n >= blocks[b].firstRow + blocks[b].rows) {
        b = size_t(std::upper_bound(blocks.begin(), blocks.end(), n, [](int row, const Impl::Block& x) { return row < x.firstRow; }) -
                   blocks.begin()) - 1;
        while (b < blocks.size() && blocks[b].rows == 0) ++b;
    }
    const qint64 at = blocks[b].position + qint64(n - blocks[b].firstRow) * d_->record.size();
    if (!d_->dataFile.seek(at) || d_->dataFile.read(rec, d_->record.size()) != d_->record.size())
        throw ParadoxError(QStringLiteral("O arquivo %1 está danificado: a linha %2 não pôde ser lida.").arg(name).arg(n + 1));
    QVariantList values;
    values.reserve(fields_.size());
    for (int i = 0; i < fields_.size(); ++i) {
        const ParadoxField& f = fields_[i];
        char* data = rec + d_->offsets[i];
        QVariant v;
        QString why; // the value is there but cannot be taken
        switch (f.type) {
        case ParadoxType::Alpha: {
            int len = 0;
            while (len < f.length && data[len] != '\0') ++len;
            if (len > 0) v = d_->text(QByteArray(data, len));
            break;
        }
        case ParadoxType::Date: {
            if (auto value = storedInteger(data, 4); value && *value != 0) {
                const QDate date = QDate::fromJulianDay(DayZero + *value);
                why = dateProblem(date, *value);
                if (why.isEmpty()) v = date;
            }
            break;
        }
        case ParadoxType::Short: {
            if (auto value = storedInteger(data, 2)) v = int(*value);
            break;
        }
        case ParadoxType::Long:
        case ParadoxType::AutoInc: {
            if (auto value = storedInteger(data, 4)) v = int(*value);
            break;
        }
        case ParadoxType::Time: {
            if (auto value = storedInteger(data, 4)) {
                if (*value < 0 || *value >= qint64(MsPerDay))
                    why = QStringLiteral("hora impossível (%1 ms)").arg(*value);
                else
                    v = QTime::fromMSecsSinceStartOfDay(int(*value));
            }
            break;
        }
        case ParadoxType::Currency:
        case ParadoxType::Number: {
            if (auto value = storedDouble(data)) {
                if (!std::isfinite(*value)) {
                    why = QStringLiteral("número inválido");
                } else {
                    try {
                        v = QVariant::fromValue(Fixed::fromDouble(*value));
                    } catch (const FixedRangeError&) {
                        why = QStringLiteral("número fora do intervalo aceito (%1)").arg(QString::number(*value, 'g', 17));
                    }
                }
            }
            break;
        }
        case ParadoxType::Timestamp: {
            if (auto value = storedDouble(data)) {
                const double days = std::isfinite(*value) ? std::floor(*value / MsPerDay) : 0;
                if (!std::isfinite(*value) || std::fabs(days) > 1e7) {
                    why = QStringLiteral("data e hora impossível");
                } else {
                    const QDate date = QDate::fromJulianDay(DayZero + qint64(days));
                    why = dateProblem(date, qint64(days));
                    const int ms = int(std::clamp(*value - days * MsPerDay, 0.0, MsPerDay - 1));
                    if (why.isEmpty()) v = QDateTime(date, QTime::fromMSecsSinceStartOfDay(ms));
                }
            }
            break;
        }
        case ParadoxType::Logical: {
            if (auto value = storedInteger(data, 1)) v = *value != 0;
            break;
        }
        case ParadoxType::Bcd: {
            if (data[0] != '\0') {
                QString text;
                why = bcdValue(reinterpret_cast<const quint8*>(data), f.decimals, text);
                if (why.isEmpty()) v = text;
            }
            break;
        }
        case ParadoxType::Memo:
        case ParadoxType::FormattedMemo:
        case ParadoxType::Blob: {
            const int leader = f.length - 10;
            if (leader < 0) break;
            const quint8* p = reinterpret_cast<const quint8*>(data + leader + 4);
            const quint32 size = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
            if (size == 0) break;
            QByteArray raw = d_->memo(data, f.length, size, why);
            while (raw.endsWith('\0')) raw.chop(1);
            if (!raw.isEmpty()) v = d_->text(raw);
            break;
        }
        case ParadoxType::Other: break;
        }
        if (!why.isEmpty()) {
            if (!unreadable)
                throw ParadoxError(QStringLiteral("O arquivo %1 está danificado: linha %2, campo %3: %4").arg(name).arg(n + 1).arg(f.name, why));
            *unreadable << UnreadableValue{i, why};
        }
        values << v;
    }
    return values;
}

// ---------------------------------------------------------------- writer

struct ParadoxWriter::Impl {
    pxdoc_t* doc = nullptr;
    FILE* fp = nullptr;
    QString path;
    QStringList messages; // pxlib's
    QString lastError() const { return messages.isEmpty() ? QString() : messages.last(); }
    QList<ParadoxField> fields;
    QList<int> offsets;
    QByteArray record;
    int codePage = 1252;
    std::unique_ptr<Converter> fromUnicode;

    void finish() {
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
            doc = nullptr;
        }
        if (fp) {
            std::fclose(fp);
            fp = nullptr;
        }
    }
    QByteArray encode(const QString& text) {
        QByteArray out;
        if (!fromUnicode->convert(text.toUtf8(), out))
            throw ParadoxError(QStringLiteral("O texto \"%1\" não pode ser escrito na página de código %2.").arg(text).arg(codePage));
        return out;
    }
};

ParadoxWriter::ParadoxWriter(const QString& path, const QList<ParadoxField>& fields, int codePage)
    : d_(std::make_unique<Impl>()) {
    d_->path = path;
    d_->fields = fields;
    d_->codePage = codePage;
    d_->fromUnicode = std::make_unique<Converter>(CodePageName(codePage), QStringLiteral("UTF-8"));
    if (!d_->fromUnicode->valid()) throw ParadoxError(QStringLiteral("Página de código não suportada: %1").arg(codePage));
    d_->doc = PX_new3(pxError, pxAlloc, pxRealloc, pxFree, &d_->messages);
    // The library frees the field list with the document.
    auto* list = static_cast<pxfield_t*>(std::calloc(size_t(fields.size()), sizeof(pxfield_t)));
    int offset = 0;
    bool memo = false;
    for (int i = 0; i < fields.size(); ++i) {
        const ParadoxField& f = fields[i];
        list[i].px_fname = strdup(f.name.toLatin1().constData());
        list[i].px_ftype = codeOf(f.type);
        list[i].px_flen = storedLength(f);
        list[i].px_fdc = f.type == ParadoxType::Bcd ? f.decimals : 0;
        d_->offsets << offset;
        offset += list[i].px_flen;
        memo = memo || f.type == ParadoxType::Memo || f.type == ParadoxType::FormattedMemo || f.type == ParadoxType::Blob;
    }
    d_->record.resize(offset);
    d_->fp = std::fopen(QFile::encodeName(path).constData(), "w+b");
    if (!d_->fp) {
        std::free(list);
        throw ParadoxError(QStringLiteral("Não foi possível criar o arquivo %1.").arg(path));
    }
    if (PX_create_fp(d_->doc, list, int(fields.size()), d_->fp, pxfFileTypNonIndexDB) < 0)
        throw ParadoxError(QStringLiteral("Não foi possível criar a tabela %1: %2").arg(path, d_->lastError()));
    d_->doc->px_head->px_doscodepage = codePage;
    PX_set_tablename(d_->doc, QFileInfo(path).fileName().toLatin1().constData());
    if (memo) {
        const QFileInfo info(path);
        const QString mb = info.dir().filePath(info.completeBaseName() + QStringLiteral(".MB"));
        pxblob_t* blob = PX_new_blob(d_->doc);
        if (!blob || PX_create_blob_file(blob, QFile::encodeName(mb).constData()) < 0)
            throw ParadoxError(QStringLiteral("Não foi possível criar o arquivo de memos %1.").arg(mb));
    }
}

ParadoxWriter::~ParadoxWriter() { d_->finish(); }

void ParadoxWriter::close() { d_->finish(); }

void ParadoxWriter::append(const QVariantList& values) {
    char* rec = d_->record.data();
    std::memset(rec, 0, size_t(d_->record.size()));
    for (int i = 0; i < d_->fields.size(); ++i) {
        const ParadoxField& f = d_->fields[i];
        const QVariant v = i < values.size() ? values[i] : QVariant();
        char* data = rec + d_->offsets[i];
        const bool null = v.isNull() || !v.isValid();
        switch (f.type) {
        case ParadoxType::Alpha: {
            if (null) break;
            const QByteArray b = d_->encode(v.toString());
            if (b.size() > f.length)
                throw ParadoxError(QStringLiteral("O texto \"%1\" não cabe no campo %2 (%3 caracteres).").arg(v.toString(), f.name).arg(f.length));
            std::memcpy(data, b.constData(), size_t(b.size()));
            break;
        }
        case ParadoxType::Date:
            if (!null) PX_put_data_long(d_->doc, data, 4, int(v.toDate().toJulianDay() - DayZero));
            break;
        case ParadoxType::Short:
            if (!null) PX_put_data_short(d_->doc, data, 2, short(v.toInt()));
            break;
        case ParadoxType::Long:
        case ParadoxType::AutoInc:
            if (!null) PX_put_data_long(d_->doc, data, 4, v.toInt());
            break;
        case ParadoxType::Time:
            if (!null) PX_put_data_long(d_->doc, data, 4, v.toTime().msecsSinceStartOfDay());
            break;
        case ParadoxType::Currency:
        case ParadoxType::Number:
            if (!null) {
                const double d = v.typeId() == qMetaTypeId<Fixed>() ? v.value<Fixed>().toDouble() : v.toDouble();
                PX_put_data_double(d_->doc, data, 8, d);
            }
            break;
        case ParadoxType::Timestamp:
            if (!null) {
                const QDateTime dt = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
                const double ms = double(dt.date().toJulianDay() - DayZero) * MsPerDay + dt.time().msecsSinceStartOfDay();
                PX_put_data_double(d_->doc, data, 8, ms);
            }
            break;
        case ParadoxType::Logical:
            if (!null) PX_put_data_byte(d_->doc, data, 1, v.toBool() ? 1 : 0);
            break;
        case ParadoxType::Bcd:
            if (!null) {
                QString text = v.typeId() == qMetaTypeId<Fixed>() ? v.value<Fixed>().toString(4) : v.toString();
                if (!text.contains(QLatin1Char('.'))) text += QStringLiteral(".0");
                QByteArray b = text.toLatin1();
                PX_put_data_bcd(d_->doc, data, f.decimals, b.data());
            }
            break;
        case ParadoxType::Memo:
        case ParadoxType::FormattedMemo:
        case ParadoxType::Blob:
            if (!null) {
                QByteArray b = d_->encode(v.toString());
                if (!b.isEmpty() && PX_put_data_blob(d_->doc, data, f.length, b.data(), int(b.size())) < 0)
                    throw ParadoxError(QStringLiteral("O memo do campo %1 não pôde ser escrito: %2").arg(f.name, d_->lastError()));
            }
            break;
        case ParadoxType::Other: break;
        }
    }
    if (PX_put_record(d_->doc, rec) < 0)
        throw ParadoxError(QStringLiteral("Não foi possível gravar uma linha em %1: %2").arg(d_->path, d_->lastError()));
}

} // namespace folha::legacy
