#include "ParadoxFile.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <optional>
extern "C" {
#include <paradox.h>
}

namespace folha::legacy {

namespace {

// Julian day of the day before 1 January of year 1: Paradox counts days
// from there.
constexpr qint64 DayZero = 1721425;
constexpr double MsPerDay = 86400000.0;

void* pxAlloc(pxdoc_t*, size_t size, const char*) { return std::malloc(size); }
void* pxRealloc(pxdoc_t*, void* mem, size_t size, const char*) { return std::realloc(mem, size); }
void pxFree(pxdoc_t*, void* mem) { std::free(mem); }

// The library's complaints, kept for the message of a failure instead of
// being printed.
void pxError(pxdoc_t*, int, const char* msg, void* data) {
    if (data && msg) *static_cast<QString*>(data) = QString::fromLocal8Bit(msg);
}

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

QString bcdText(const char* raw) {
    // pxlib writes the decimal point of the C locale in force; the text is
    // made plain "-123.4500" here, trailing zeros beyond the fourth place
    // dropped so that only significant places count.
    QString s = QString::fromLatin1(raw).trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    const int dot = s.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        int end = s.size();
        while (end > dot + 5 && s.at(end - 1) == QLatin1Char('0')) --end;
        s.truncate(end);
        if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    }
    return s;
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
    QString lastError;
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
    QByteArray memo(const char* data, int length, quint32 size, const QString& file, const QString& field, int row) {
        const int leader = length - 10;
        if (size <= quint32(leader)) return QByteArray(data, int(size));
        auto damaged = [&](const QString& why) {
            return ParadoxError(QStringLiteral("O arquivo %1: o memo do campo %2 na linha %3 não pôde ser lido (%4).")
                                    .arg(file, field)
                                    .arg(row + 1)
                                    .arg(why));
        };
        if (!memoFile.isOpen()) throw damaged(QStringLiteral("falta o arquivo de memos .MB"));
        const auto* p = reinterpret_cast<const quint8*>(data + leader);
        const quint32 pointer = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
        const qint64 offset = pointer & 0xffffff00u;
        const int index = int(pointer & 0xffu);
        if (offset == 0 || offset + 12 > memoFile.size() || !memoFile.seek(offset))
            throw damaged(QStringLiteral("posição fora do arquivo de memos"));
        const QByteArray head = memoFile.read(12);
        if (head.size() < 9) throw damaged(QStringLiteral("arquivo de memos truncado"));
        qint64 start = 0;
        if (quint8(head[0]) == 2) {
            const quint32 stored = quint32(quint8(head[3])) | (quint32(quint8(head[4])) << 8) |
                                   (quint32(quint8(head[5])) << 16) | (quint32(quint8(head[6])) << 24);
            if (stored != size) throw damaged(QStringLiteral("tamanho divergente"));
            start = offset + 9;
        } else if (quint8(head[0]) == 3) {
            if (!memoFile.seek(offset + 12 + index * 5)) throw damaged(QStringLiteral("arquivo de memos truncado"));
            const QByteArray slot = memoFile.read(5);
            if (slot.size() < 5) throw damaged(QStringLiteral("arquivo de memos truncado"));
            const quint32 stored = (quint32(quint8(slot[1])) - 1) * 16 + quint8(slot[4]);
            if (stored != size) throw damaged(QStringLiteral("tamanho divergente"));
            start = offset + qint64(quint8(slot[0])) * 16;
        } else {
            throw damaged(QStringLiteral("bloco de memo inválido"));
        }
        if (start + qint64(size) > memoFile.size() || !memoFile.seek(start)) throw damaged(QStringLiteral("arquivo de memos truncado"));
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1: %2").arg(name, file.errorString()));
    const qint64 size = file.size();
    const QByteArray head = file.read(0x80);
    file.close();
    const QString notParadox = QStringLiteral("O arquivo %1 não é uma tabela Paradox.").arg(name);
    if (head.size() < 0x78) throw ParadoxError(notParadox);
    // The fixed part of the header: record size, header size (whole 2 KB
    // units), file kind and block size in KB.
    const int recordSize = le16(head, 0);
    const int headerSize = le16(head, 2);
    const int fileType = quint8(head[4]);
    const int blockKb = quint8(head[5]);
    if (recordSize == 0 || headerSize < 0x800 || headerSize % 0x800 != 0 || fileType > 8 ||
        !(blockKb == 1 || blockKb == 2 || blockKb == 3 || blockKb == 4 || blockKb == 8 || blockKb == 16 || blockKb == 32))
        throw ParadoxError(notParadox);
    if (headerSize > size)
        throw ParadoxError(QStringLiteral("O arquivo %1 está truncado: o cabeçalho da tabela está incompleto.").arg(name));
    if (fileType != pxfFileTypIndexDB && fileType != pxfFileTypNonIndexDB)
        throw ParadoxError(QStringLiteral("O arquivo %1 é um índice Paradox, não uma tabela.").arg(name));

    d_->doc = PX_new3(pxError, pxAlloc, pxRealloc, pxFree, &d_->lastError);
    if (!d_->doc) throw ParadoxError(QStringLiteral("Sem memória para ler %1.").arg(name));
    d_->fp = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!d_->fp) throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1.").arg(name));
    if (PX_open_fp(d_->doc, d_->fp) < 0) {
        const QString why = d_->lastError;
        throw ParadoxError(why.isEmpty() ? notParadox : QStringLiteral("O arquivo %1 não pôde ser lido como tabela Paradox (%2).").arg(name, why));
    }
    pxhead_t* h = d_->doc->px_head;
    version_ = h->px_fileversion;
    if (version_ < 30 || version_ > 70)
        throw ParadoxError(QStringLiteral("O arquivo %1 é de uma versão do Paradox não suportada (%2).").arg(name).arg(version_));
    if (h->px_encryption != 0)
        throw ParadoxError(QStringLiteral("A tabela %1 é protegida por senha; remova a senha no Paradox e importe de novo.").arg(name));
    codePage_ = h->px_doscodepage > 0 ? h->px_doscodepage : 1252;
    const qint64 expected = qint64(h->px_headersize) + qint64(h->px_fileblocks) * h->px_maxtablesize * 0x400;
    if (h->px_numrecords < 0 || (h->px_numrecords > 0 && expected > size))
        throw ParadoxError(QStringLiteral("O arquivo %1 está truncado: faltam %2 bytes dos blocos de dados.")
                               .arg(name)
                               .arg(expected - size));

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
    if (offset != h->px_recordsize)
        throw ParadoxError(QStringLiteral("O arquivo %1 está danificado: os campos somam %2 bytes e o registro tem %3.")
                               .arg(name)
                               .arg(offset)
                               .arg(h->px_recordsize));
    rows_ = h->px_numrecords;
    // The chain of data blocks, each with a 6-byte head: next block, previous
    // block, and the bytes used after the first record.
    d_->dataFile.setFileName(path);
    if (!d_->dataFile.open(QIODevice::ReadOnly)) throw ParadoxError(QStringLiteral("Não foi possível abrir o arquivo %1.").arg(name));
    const qint64 blockSize = qint64(h->px_maxtablesize) * 0x400;
    int block = int(h->px_firstblock);
    int counted = 0;
    for (unsigned guard = 0; block > 0 && guard < h->px_fileblocks; ++guard) {
        const qint64 position = h->px_headersize + qint64(block - 1) * blockSize;
        if (position + blockSize > size || !d_->dataFile.seek(position))
            throw ParadoxError(QStringLiteral("O arquivo %1 está truncado: o bloco de dados %2 está fora do arquivo.").arg(name).arg(block));
        const QByteArray head = d_->dataFile.read(6);
        if (head.size() < 6) throw ParadoxError(QStringLiteral("O arquivo %1 está truncado.").arg(name));
        const int next = le16(head, 0);
        const int used = qint16(le16(head, 4));
        const int rowsHere = used / h->px_recordsize + 1;
        if (rowsHere < 0 || 6 + qint64(rowsHere) * h->px_recordsize > blockSize)
            throw ParadoxError(QStringLiteral("O arquivo %1 está danificado: o bloco de dados %2 é inválido.").arg(name).arg(block));
        d_->blocks.push_back({position + 6, counted, rowsHere});
        counted += rowsHere;
        block = next;
    }
    if (counted != rows_)
        throw ParadoxError(QStringLiteral("O arquivo %1 está danificado: o cabeçalho conta %2 linhas e os blocos de dados têm %3.")
                               .arg(name)
                               .arg(rows_)
                               .arg(counted));
    d_->record.resize(h->px_recordsize);
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

QVariantList ParadoxReader::row(int n) {
    const QString name = QFileInfo(path_).fileName();
    d_->lastError.clear();
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
        switch (f.type) {
        case ParadoxType::Alpha: {
            int len = 0;
            while (len < f.length && data[len] != '\0') ++len;
            if (len > 0) v = d_->text(QByteArray(data, len));
            break;
        }
        case ParadoxType::Date: {
            if (auto value = storedInteger(data, 4); value && *value != 0) v = QDate::fromJulianDay(DayZero + *value);
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
            if (auto value = storedInteger(data, 4)) v = QTime::fromMSecsSinceStartOfDay(int(*value));
            break;
        }
        case ParadoxType::Currency:
        case ParadoxType::Number: {
            if (auto value = storedDouble(data)) {
                try {
                    v = QVariant::fromValue(Fixed::fromDouble(*value));
                } catch (const FixedRangeError&) {
                    v = QString::number(*value, 'g', 17); // refused by the field, with the value
                }
            }
            break;
        }
        case ParadoxType::Timestamp: {
            if (auto value = storedDouble(data)) {
                const qint64 ms = qint64(*value);
                const qint64 days = ms / qint64(MsPerDay);
                v = QDateTime(QDate::fromJulianDay(DayZero + days), QTime::fromMSecsSinceStartOfDay(int(ms % qint64(MsPerDay))));
            }
            break;
        }
        case ParadoxType::Logical: {
            if (auto value = storedInteger(data, 1)) v = *value != 0;
            break;
        }
        case ParadoxType::Bcd: {
            char* value = nullptr;
            if (PX_get_data_bcd(d_->doc, reinterpret_cast<unsigned char*>(data), f.decimals, &value) > 0 && value) {
                v = bcdText(value);
                d_->doc->free(d_->doc, value);
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
            QByteArray raw = d_->memo(data, f.length, size, name, f.name, n);
            while (raw.endsWith('\0')) raw.chop(1);
            if (!raw.isEmpty()) v = d_->text(raw);
            break;
        }
        case ParadoxType::Other: break;
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
    QString lastError;
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
    d_->doc = PX_new3(pxError, pxAlloc, pxRealloc, pxFree, &d_->lastError);
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
        throw ParadoxError(QStringLiteral("Não foi possível criar a tabela %1: %2").arg(path, d_->lastError));
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
                    throw ParadoxError(QStringLiteral("O memo do campo %1 não pôde ser escrito: %2").arg(f.name, d_->lastError));
            }
            break;
        case ParadoxType::Other: break;
        }
    }
    if (PX_put_record(d_->doc, rec) < 0)
        throw ParadoxError(QStringLiteral("Não foi possível gravar uma linha em %1: %2").arg(d_->path, d_->lastError));
}

} // namespace folha::legacy
