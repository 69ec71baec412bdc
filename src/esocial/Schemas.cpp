#include "Schemas.h"

#include "Esocial.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <map>
#include <memory>

namespace folha::esocial {

// Schemas live in the program's resources; libxml2 asks for them (and for
// the files they include) by these addresses, which no other loader serves.
static const char* const kPrefix = "folha-esocial:/";

QByteArray ShippedSchema(const QString& name) {
    QFile f(QStringLiteral(":/esocial/") + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

namespace {

// Serves our addresses from the resources; anything else goes to the loader
// libxml2 had, which the documents' parse options keep off the network.
xmlExternalEntityLoader previousLoader = nullptr;

std::map<QString, QByteArray>& served() {
    static std::map<QString, QByteArray> m;
    return m;
}

xmlParserInputPtr loader(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
    if (url && qstrncmp(url, kPrefix, qstrlen(kPrefix)) == 0) {
        QString name = QString::fromUtf8(url + qstrlen(kPrefix));
        auto& m = served();
        auto it = m.find(name);
        if (it == m.end()) it = m.emplace(name, ShippedSchema(name)).first;
        if (it->second.isEmpty()) return nullptr;
        xmlParserInputBufferPtr buf =
            xmlParserInputBufferCreateMem(it->second.constData(), int(it->second.size()), XML_CHAR_ENCODING_NONE);
        if (!buf) return nullptr;
        xmlParserInputPtr in = xmlNewIOInputStream(ctxt, buf, XML_CHAR_ENCODING_NONE);
        if (in && !in->filename) in->filename = reinterpret_cast<char*>(xmlStrdup(reinterpret_cast<const xmlChar*>(url)));
        return in;
    }
    return previousLoader ? previousLoader(url, id, ctxt) : nullptr;
}

struct SchemaFree {
    void operator()(xmlSchemaPtr s) const { xmlSchemaFree(s); }
};
using SchemaPtr = std::unique_ptr<xmlSchema, SchemaFree>;

struct DocFree {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

void silence(void*, const char*, ...) {}
void silenceStructured(void*, xmlErrorPtr) {}

QString stripNamespaces(QString s) {
    static const QRegularExpression ns(QStringLiteral("\\{[a-z]+://[^}]*\\}"));
    return s.remove(ns);
}

// The path of a node from the event's root: evtRemun/dmDev/ideDmDev.
QString pathOf(xmlNodePtr node) {
    QStringList parts;
    for (xmlNodePtr n = node; n && n->type == XML_ELEMENT_NODE; n = n->parent) {
        QString name = QString::fromUtf8(reinterpret_cast<const char*>(n->name));
        if (name == QLatin1String("eSocial") && !parts.isEmpty()) break;
        parts.prepend(name);
    }
    return parts.join('/');
}

// libxml2's English messages said the way an office reads them.
QString portuguese(const QString& english) {
    QString m = stripNamespaces(english).trimmed();
    // Drop the "Element 'x': " opening: the field is named before.
    static const QRegularExpression element(QStringLiteral("^Element '[^']*'(?:, attribute '([^']*)')?: "));
    QString attribute;
    if (auto e = element.match(m); e.hasMatch()) {
        attribute = e.captured(1);
        m = m.mid(e.capturedLength());
    }
    struct Rule {
        const char* pattern;
        const char* text;
    };
    static const Rule rules[] = {
        {"^This element is not expected\\. Expected is one of \\( (.*) \\)\\.$", "campo fora do lugar; esperado um de: %1"},
        {"^This element is not expected\\. Expected is \\( (.*) \\)\\.$", "campo fora do lugar; esperado: %1"},
        {"^This element is not expected\\.$", "campo não previsto neste ponto"},
        {"^Missing child element\\(s\\)\\. Expected is one of \\( (.*) \\)\\.$", "falta um dos campos: %1"},
        {"^Missing child element\\(s\\)\\. Expected is \\( (.*) \\)\\.$", "falta o campo: %1"},
        {"^\\[facet 'pattern'\\] The value '(.*)' is not accepted by the pattern '(.*)'\\.$",
         "o valor '%1' não está no formato exigido (%2)"},
        {"^\\[facet 'enumeration'\\] The value '(.*)' is not an element of the set \\{(.*)\\}\\.$",
         "o valor '%1' não é um dos permitidos: %2"},
        {"^\\[facet 'maxLength'\\] The value has a length of '(\\d+)'; this exceeds the allowed maximum length of '(\\d+)'\\.$",
         "o valor tem %1 caracteres; o máximo é %2"},
        {"^\\[facet 'minLength'\\] The value has a length of '(\\d+)'; this underruns the allowed minimum length of '(\\d+)'\\.$",
         "o valor tem %1 caracteres; o mínimo é %2"},
        {"^\\[facet 'length'\\] The value has a length of '(\\d+)'; this differs from the allowed length of '(\\d+)'\\.$",
         "o valor tem %1 caracteres; devem ser %2"},
        {"^\\[facet 'totalDigits'\\] The value '(.*)' has more digits than are allowed \\('(\\d+)'\\)\\.$",
         "o valor '%1' tem mais de %2 dígitos"},
        {"^\\[facet 'fractionDigits'\\] The value '(.*)' has more fractional digits than are allowed \\('(\\d+)'\\)\\.$",
         "o valor '%1' tem mais de %2 casas decimais"},
        {"^\\[facet 'minInclusive'\\] The value '(.*)' is less than the minimum value allowed \\('(.*)'\\)\\.$",
         "o valor '%1' é menor que o mínimo (%2)"},
        {"^\\[facet 'maxInclusive'\\] The value '(.*)' is greater than the maximum value allowed \\('(.*)'\\)\\.$",
         "o valor '%1' é maior que o máximo (%2)"},
        {"^\\[facet 'minExclusive'\\] The value '(.*)' must be greater than '(.*)'\\.$", "o valor '%1' deve ser maior que %2"},
        {"^'(.*)' is not a valid value of the (?:atomic|local atomic|union) type '(.*)'\\.$",
         "o valor '%1' não é válido para o tipo %2"},
        {"^'(.*)' is not a valid value of the local atomic type\\.$", "o valor '%1' não é válido"},
        {"^'(.*)' is not a valid value of the local union type\\.$", "o valor '%1' não é válido"},
        {"^The attribute '(.*)' is required but missing\\.$", "falta o atributo %1"},
        {"^The attribute '(.*)' is not allowed\\.$", "o atributo %1 não é permitido"},
        {"^Character content other than whitespace is not allowed because the content type is 'element-only'\\.$",
         "texto não permitido neste campo (só campos)"},
        {"^No matching global declaration available for the validation root\\.$",
         "o documento não é deste evento (raiz ou namespace errado)"},
    };
    for (const Rule& r : rules) {
        QRegularExpression re(QString::fromUtf8(r.pattern));
        if (auto mm = re.match(m); mm.hasMatch()) {
            QString t = QString::fromUtf8(r.text);
            for (int i = 1; i <= mm.lastCapturedIndex(); ++i) t = t.arg(mm.captured(i));
            return attribute.isEmpty() ? t : QStringLiteral("atributo %1: %2").arg(attribute, t);
        }
    }
    return attribute.isEmpty() ? m : QStringLiteral("atributo %1: %2").arg(attribute, m);
}

struct Collected {
    QStringList messages;
};

void collect(void* data, xmlErrorPtr err) {
    auto* c = static_cast<Collected*>(data);
    if (!err || !err->message) return;
    QString text = portuguese(QString::fromUtf8(err->message));
    auto* node = static_cast<xmlNodePtr>(err->node);
    QString where;
    if (node && node->type == XML_ELEMENT_NODE) where = pathOf(node);
    if (!where.isEmpty())
        c->messages << QStringLiteral("Campo %1 (linha %2): %3").arg(where).arg(err->line).arg(text);
    else if (err->line > 0)
        c->messages << QStringLiteral("Linha %1: %2").arg(err->line).arg(text);
    else
        c->messages << text;
}

class SchemaSet {
public:
    SchemaSet() {
        xmlInitParser();
        previousLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(loader);
    }

    xmlSchemaPtr schema(const QString& name, Signature signature) {
        QMutexLocker lock(&mutex_);
        QString key = name + (signature == Signature::Optional ? QStringLiteral("|opcional") : QString());
        auto it = cache_.find(key);
        if (it != cache_.end()) return it->second.get();
        QByteArray text = ShippedSchema(name);
        if (text.isEmpty()) return nullptr;
        if (signature == Signature::Optional)
            text.replace("<xs:element ref=\"ds:Signature\" />", "<xs:element ref=\"ds:Signature\" minOccurs=\"0\" />");
        QByteArray url = QByteArray(kPrefix) + name.toUtf8();
        DocPtr doc(xmlReadMemory(text.constData(), int(text.size()), url.constData(), nullptr, XML_PARSE_NONET));
        if (!doc) return nullptr;
        xmlSchemaParserCtxtPtr pctx = xmlSchemaNewDocParserCtxt(doc.get());
        xmlSchemaSetParserErrors(pctx, silence, silence, nullptr);
        xmlSchemaSetParserStructuredErrors(pctx, silenceStructured, nullptr);
        SchemaPtr s(xmlSchemaParse(pctx));
        xmlSchemaFreeParserCtxt(pctx);
        xmlSchemaPtr raw = s.get();
        cache_.emplace(key, std::move(s));
        return raw;
    }

private:
    QMutex mutex_;
    std::map<QString, SchemaPtr> cache_;
};

SchemaSet& schemas() {
    static SchemaSet set;
    return set;
}

QStringList validate(const QByteArray& xml, const QString& schemaName, Signature signature) {
    xmlSchemaPtr schema = schemas().schema(schemaName, signature);
    if (!schema) return {QStringLiteral("Esquema %1 ausente ou ilegível na instalação do programa.").arg(schemaName)};
    Collected c;
    xmlSetStructuredErrorFunc(&c, collect);
    DocPtr doc(xmlReadMemory(xml.constData(), int(xml.size()), "evento.xml", nullptr, XML_PARSE_NONET));
    if (!doc) {
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        if (c.messages.isEmpty()) c.messages << QStringLiteral("O XML não pôde ser lido.");
        c.messages.prepend(QStringLiteral("XML mal formado:"));
        return c.messages;
    }
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(vctx, collect, &c);
    int rc = xmlSchemaValidateDoc(vctx, doc.get());
    xmlSchemaFreeValidCtxt(vctx);
    if (rc != 0 && c.messages.isEmpty()) c.messages << QStringLiteral("O XML não confere com o esquema %1.").arg(schemaName);
    return c.messages;
}

} // namespace

QStringList ValidateEvent(const QByteArray& xml, const QString& type, Signature signature) {
    const EventKind* kind = KindOf(type);
    if (!kind) return {QStringLiteral("Evento do eSocial desconhecido: %1").arg(type)};
    return validate(xml, QStringLiteral("S-1.3/") + QLatin1String(kind->schema), signature);
}

QStringList ValidateBatch(const QByteArray& xml) {
    return validate(xml, QStringLiteral("comunicacao/EnvioLoteEventos-v1_1_1.xsd"), Signature::Required);
}

QStringList ValidateDocument(const QByteArray& xml, const QString& schemaName, Signature signature) {
    return validate(xml, schemaName, signature);
}

} // namespace folha::esocial
