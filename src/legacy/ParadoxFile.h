#pragma once
// Paradox table files (".DB", with their ".MB" memo files) read and written
// through pxlib. The reader gives each row as values the registry's records
// take: text already converted from the file's code page to Unicode, BCD
// numbers as exact decimal text, money and numbers as four-place Fixed,
// dates, times, logicals and integers. The writer makes such files from the
// same kinds of values (the tests and the benchmark use it).

#include "DbError.h"
#include "Fixed.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <memory>

namespace folha::legacy {

// A file that cannot be read as a Paradox table: not a Paradox file, a
// version or kind not taken, a password, a truncated or damaged file. The
// message reads "O arquivo X.db está danificado: <reason>". Nothing of such
// a file is imported.
class ParadoxError : public UserError {
public:
    using UserError::UserError;
};

// A value of a row that cannot be taken: an impossible or implausible date,
// a BCD number the field cannot hold, a memo that is not in the memo file.
// The row is refused with the reason; the other rows are read.
struct UnreadableValue {
    int field = 0; // index into fields()
    QString reason;
};

// Field types as the file stores them.
enum class ParadoxType {
    Alpha,
    Date,
    Short,
    Long,
    Currency,
    Number,
    Logical,
    Memo,
    FormattedMemo,
    Blob,
    Time,
    Timestamp,
    AutoInc,
    Bcd,
    Other, // graphic, OLE, bytes: not taken
};

struct ParadoxField {
    QString name;
    ParadoxType type = ParadoxType::Alpha;
    int length = 0;   // bytes in the record (alpha: characters)
    int decimals = 0; // BCD: decimal places
};

// The name of a type as a message shows it ("alfanumérico", "BCD").
QString ParadoxTypeName(ParadoxType type);

// The iconv name of a DOS/Windows code page number (850 -> "CP850"); a
// missing code page (0) is taken as 1252.
QString CodePageName(int codePage);

class ParadoxReader {
public:
    // Opens a table file and its memo file (same name, ".MB", any case)
    // when there is one. Throws ParadoxError with the reason.
    explicit ParadoxReader(const QString& path);
    ~ParadoxReader();
    ParadoxReader(const ParadoxReader&) = delete;
    ParadoxReader& operator=(const ParadoxReader&) = delete;

    const QString& path() const { return path_; }
    const QList<ParadoxField>& fields() const { return fields_; }
    int rowCount() const { return rows_; }
    int codePage() const { return codePage_; }
    int version() const { return version_; }
    // What pxlib said about the file while opening it (through its error
    // handler or printed by itself), for the import's log; never printed.
    const QStringList& libraryMessages() const { return libraryMessages_; }

    // The values of row `n` (0-based), one per field: null for an empty
    // field; QString for alpha and memo fields; for a BCD field the exact
    // decimal text ("-1234.5600"); Fixed for money and number fields; int
    // for short, long and auto-increment fields; QDate, QTime, QDateTime
    // and bool. A value that cannot be taken is given as null and listed in
    // `unreadable`; without that list it throws ParadoxError. Dates before
    // 1900 are taken as unreadable (implausible). Throws ParadoxError when
    // the row cannot be read at all.
    QVariantList row(int n, QList<UnreadableValue>* unreadable = nullptr);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    QString path_;
    QList<ParadoxField> fields_;
    int rows_ = 0;
    int codePage_ = 1252;
    int version_ = 0;
    QStringList libraryMessages_;
};

class ParadoxWriter {
public:
    // Creates a table file (and, when a field is a memo, its ".MB" file)
    // with the fields given, in a code page (850 or 1252). Throws
    // ParadoxError when the file cannot be created.
    ParadoxWriter(const QString& path, const QList<ParadoxField>& fields, int codePage = 1252);
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter&) = delete;
    ParadoxWriter& operator=(const ParadoxWriter&) = delete;

    // Appends a row: one value per field, of the kinds the reader gives
    // (a BCD field takes a Fixed or decimal text). Throws ParadoxError for
    // a text the code page cannot hold or a value the field cannot take.
    void append(const QVariantList& values);
    // Writes the header and closes the files (the destructor does it too).
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace folha::legacy
