#include "ParadoxExport.h"

#include "Table.h"

#include <QDir>
#include <array>

namespace folha::legacy {

QList<ParadoxField> ParadoxFieldsFor(const TableDef& def) {
    QList<ParadoxField> fields;
    int numbers = 0, dates = 0;
    for (const FieldDef& f : def.fields) {
        ParadoxField p;
        p.name = f.name;
        switch (f.type) {
        case FieldType::Text:
            p.type = ParadoxType::Alpha;
            p.length = f.size;
            break;
        case FieldType::Number:
            // Exact BCD, money and floating point in turn.
            p.type = std::array{ParadoxType::Bcd, ParadoxType::Currency, ParadoxType::Number}[numbers++ % 3];
            p.decimals = p.type == ParadoxType::Bcd ? 4 : 2;
            break;
        case FieldType::ShortInt: p.type = ParadoxType::Short; break;
        case FieldType::LongInt: p.type = ParadoxType::Long; break;
        case FieldType::Date: p.type = dates++ % 3 == 2 ? ParadoxType::Timestamp : ParadoxType::Date; break;
        case FieldType::Time: p.type = ParadoxType::Time; break;
        case FieldType::Logical: p.type = ParadoxType::Logical; break;
        case FieldType::AutoInc: p.type = ParadoxType::AutoInc; break;
        case FieldType::Memo:
            p.type = ParadoxType::Memo;
            p.length = 40; // longer texts go to the memo file
            break;
        }
        fields << p;
    }
    return fields;
}

qint64 WriteParadoxTable(Database& db, const TableDef& def, const QString& directory, int codePage) {
    QDir().mkpath(directory);
    ParadoxWriter writer(QDir(directory).filePath(def.fileName), ParadoxFieldsFor(def), codePage);
    qint64 rows = 0;
    Table table(db, def);
    table.forEach({}, {}, [&](const Record& r) {
        QVariantList values;
        for (int i = 0; i < int(def.fields.size()); ++i) values << r.rawValue(i);
        writer.append(values);
        ++rows;
        return true;
    });
    writer.close();
    return rows;
}

} // namespace folha::legacy
