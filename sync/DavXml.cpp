// The bodies of the requests and the reading of multistatus answers.

#include <cstring>

#include <QBuffer>
#include <QCoreApplication>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "DavClient.h"

namespace carddav {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalendarServer = QStringLiteral("http://calendarserver.org/ns/");

QString Tr(const char* text) {
    return QCoreApplication::translate("carddav::DavXml", text);
}

// A writer of a request body with the prefixes the sync uses.
class Body {
public:
    explicit Body(const QString& root) : writer_(&bytes_) {
        writer_.writeStartDocument();
        writer_.writeNamespace(kDav, QStringLiteral("d"));
        writer_.writeNamespace(kCardDav, QStringLiteral("c"));
        writer_.writeNamespace(kCalendarServer, QStringLiteral("cs"));
        writer_.writeStartElement(kDav, root);
    }
    QXmlStreamWriter& operator*() { return writer_; }
    QXmlStreamWriter* operator->() { return &writer_; }
    QByteArray Finish() {
        writer_.writeEndDocument();
        return bytes_;
    }

private:
    QByteArray bytes_;
    QXmlStreamWriter writer_;
};

void WriteProperties(QXmlStreamWriter& writer, bool data) {
    writer.writeStartElement(kDav, QStringLiteral("prop"));
    writer.writeEmptyElement(kDav, QStringLiteral("getetag"));
    if (data) {
        writer.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
    }
    writer.writeEndElement();
}

// "HTTP/1.1 404 Not Found" gives 404; anything else 0.
int ParseStatus(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

bool StartsAt(const QByteArray& bytes, qsizetype at, const char* text) {
    const qsizetype length = qsizetype(qstrlen(text));
    return at + length <= bytes.size() && memcmp(bytes.constData() + at, text, length) == 0;
}

// A parser turns every CR LF of the text into LF, as XML wants; a card's lines end with CR LF
// and must come out as the server holds them. Inside the root element, a CR of the text becomes
// a character reference, which the parser keeps.
QByteArray KeepCarriageReturns(const QByteArray& xml) {
    if (!xml.contains('\r')) {
        return xml;
    }
    QByteArray out;
    out.reserve(xml.size() + xml.size() / 16);
    int depth = 0;  // of elements open: only inside the root does text hold a reference
    qsizetype i = 0;
    const auto copyThrough = [&](const char* end) {
        const qsizetype found = xml.indexOf(end, i);
        const qsizetype stop = found < 0 ? xml.size() : found + qstrlen(end);
        out.append(xml.constData() + i, stop - i);
        i = stop;
    };
    while (i < xml.size()) {
        const char c = xml.at(i);
        if (c == '<') {
            if (StartsAt(xml, i, "<!--")) {
                copyThrough("-->");
            } else if (StartsAt(xml, i, "<![CDATA[")) {
                copyThrough("]]>");
            } else if (StartsAt(xml, i, "<?")) {
                copyThrough("?>");
            } else if (StartsAt(xml, i, "<!")) {
                copyThrough(">");
            } else {
                // A tag: its attribute values may hold '>'.
                char quote = 0;
                qsizetype j = i + 1;
                for (; j < xml.size(); ++j) {
                    const char d = xml.at(j);
                    if (quote) {
                        if (d == quote) {
                            quote = 0;
                        }
                    } else if (d == '"' || d == '\'') {
                        quote = d;
                    } else if (d == '>') {
                        break;
                    }
                }
                const qsizetype stop = qMin(j + 1, xml.size());
                if (i + 1 < xml.size() && xml.at(i + 1) == '/') {
                    --depth;
                } else if (xml.at(j - 1) != '/') {
                    ++depth;
                }
                out.append(xml.constData() + i, stop - i);
                i = stop;
            }
            continue;
        }
        if (c == '\r' && depth > 0) {
            out.append("&#13;");
            ++i;
            continue;
        }
        // The text up to the next markup or CR, at once.
        qsizetype next = i + 1;
        while (next < xml.size() && xml.at(next) != '<' && xml.at(next) != '\r') {
            ++next;
        }
        out.append(xml.constData() + i, next - i);
        i = next;
    }
    return out;
}

QUrl Resolve(const QUrl& base, const QString& href) {
    return base.resolved(QUrl(href.trimmed()));
}

QUrl ReadHref(QXmlStreamReader& reader, const QUrl& base) {
    QUrl url;
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("href") &&
            url.isEmpty()) {
            url = Resolve(base, reader.readElementText());
        } else {
            reader.skipCurrentElement();
        }
    }
    return url;
}

void ReadSupportedData(QXmlStreamReader& reader, DavResponse& response) {
    // RFC 6352 names the element address-data-type; some servers call it otherwise: the
    // attributes are what counts.
    while (reader.readNextStartElement()) {
        const QXmlStreamAttributes attributes = reader.attributes();
        const QStringView type = attributes.value(QLatin1String("content-type"));
        if (attributes.value(QLatin1String("version")) == QLatin1String("4.0") &&
            (type.isEmpty() ||
             type.compare(QLatin1String("text/vcard"), Qt::CaseInsensitive) == 0)) {
            response.vcard4 = true;
        }
        reader.skipCurrentElement();
    }
}

void ReadResourceType(QXmlStreamReader& reader, DavResponse& response) {
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("collection")) {
            response.collection = true;
        } else if (reader.namespaceUri() == kCardDav &&
                   reader.name() == QLatin1String("addressbook")) {
            response.addressBook = true;
        }
        reader.skipCurrentElement();
    }
}

void ReadProp(QXmlStreamReader& reader, const QUrl& base, DavResponse& props) {
    while (reader.readNextStartElement()) {
        const QStringView ns = reader.namespaceUri();
        const QStringView name = reader.name();
        if (ns == kDav) {
            if (name == QLatin1String("resourcetype")) {
                ReadResourceType(reader, props);
            } else if (name == QLatin1String("displayname")) {
                props.displayName =
                    reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            } else if (name == QLatin1String("getetag")) {
                props.etag = reader.readElementText().trimmed();
            } else if (name == QLatin1String("sync-token")) {
                props.syncToken = reader.readElementText().trimmed();
            } else if (name == QLatin1String("current-user-principal")) {
                props.principal = ReadHref(reader, base);
            } else {
                reader.skipCurrentElement();
            }
        } else if (ns == kCardDav) {
            if (name == QLatin1String("addressbook-home-set")) {
                props.addressBookHome = ReadHref(reader, base);
            } else if (name == QLatin1String("supported-address-data")) {
                ReadSupportedData(reader, props);
            } else if (name == QLatin1String("address-data")) {
                props.addressData = reader.readElementText().toUtf8();
                // The conversion reserves room for the worst case, three times the card.
                props.addressData.squeeze();
            } else {
                reader.skipCurrentElement();
            }
        } else if (ns == kCalendarServer && name == QLatin1String("getctag")) {
            props.ctag = reader.readElementText().trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
}

// The properties of a propstat that succeeded.
void Merge(DavResponse& into, const DavResponse& from) {
    const auto take = [](auto& to, const auto& value) {
        if (!value.isEmpty()) {
            to = value;
        }
    };
    take(into.etag, from.etag);
    take(into.displayName, from.displayName);
    take(into.syncToken, from.syncToken);
    take(into.ctag, from.ctag);
    take(into.principal, from.principal);
    take(into.addressBookHome, from.addressBookHome);
    take(into.addressData, from.addressData);
    into.collection = into.collection || from.collection;
    into.addressBook = into.addressBook || from.addressBook;
    into.vcard4 = into.vcard4 || from.vcard4;
}

bool ReadResponse(QXmlStreamReader& reader, const QUrl& base, DavResponse& response) {
    int own = 0, first = 0, good = 0;
    bool href = false;
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() != kDav) {
            reader.skipCurrentElement();
        } else if (reader.name() == QLatin1String("href")) {
            const QString text = reader.readElementText();
            if (!href) {
                response.url = Resolve(base, text);
                href = true;
            }
        } else if (reader.name() == QLatin1String("status")) {
            own = ParseStatus(reader.readElementText());
        } else if (reader.name() == QLatin1String("propstat")) {
            DavResponse props;
            int status = 0;
            while (reader.readNextStartElement()) {
                if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("prop")) {
                    ReadProp(reader, base, props);
                } else if (reader.namespaceUri() == kDav &&
                           reader.name() == QLatin1String("status")) {
                    status = ParseStatus(reader.readElementText());
                } else {
                    reader.skipCurrentElement();
                }
            }
            if (first == 0) {
                first = status;
            }
            if (status >= 200 && status < 300) {
                Merge(response, props);
                if (good == 0) {
                    good = status;
                }
            }
        } else {
            reader.skipCurrentElement();
        }
    }
    response.status = own ? own : (good ? good : first);
    return href;
}

bool SameResource(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments) ==
           b.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
}

}  // namespace

namespace body {

QByteArray Propfind() {
    Body body(QStringLiteral("propfind"));
    body->writeStartElement(kDav, QStringLiteral("prop"));
    for (const char* name :
         {"resourcetype", "displayname", "getetag", "sync-token", "current-user-principal"}) {
        body->writeEmptyElement(kDav, QLatin1String(name));
    }
    body->writeEmptyElement(kCalendarServer, QStringLiteral("getctag"));
    body->writeEmptyElement(kCardDav, QStringLiteral("supported-address-data"));
    body->writeEmptyElement(kCardDav, QStringLiteral("addressbook-home-set"));
    body->writeEndElement();
    return body.Finish();
}

QByteArray PropfindEtags() {
    Body body(QStringLiteral("propfind"));
    body->writeStartElement(kDav, QStringLiteral("prop"));
    body->writeEmptyElement(kDav, QStringLiteral("resourcetype"));
    body->writeEmptyElement(kDav, QStringLiteral("getetag"));
    body->writeEndElement();
    return body.Finish();
}

QByteArray SyncCollection(const QString& token, bool data) {
    Body body(QStringLiteral("sync-collection"));
    body->writeTextElement(kDav, QStringLiteral("sync-token"), token);
    body->writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
    WriteProperties(*body, data);
    return body.Finish();
}

QByteArray Multiget(const std::vector<QUrl>& cards) {
    // The root is in the CardDAV namespace.
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.writeStartDocument();
    writer.writeNamespace(kDav, QStringLiteral("d"));
    writer.writeNamespace(kCardDav, QStringLiteral("c"));
    writer.writeStartElement(kCardDav, QStringLiteral("addressbook-multiget"));
    WriteProperties(writer, true);
    for (const QUrl& card : cards) {
        writer.writeTextElement(kDav, QStringLiteral("href"), card.path(QUrl::FullyEncoded));
    }
    writer.writeEndDocument();
    return bytes;
}

QByteArray MakeAddressBook(const QString& displayName) {
    Body body(QStringLiteral("mkcol"));
    body->writeStartElement(kDav, QStringLiteral("set"));
    body->writeStartElement(kDav, QStringLiteral("prop"));
    body->writeStartElement(kDav, QStringLiteral("resourcetype"));
    body->writeEmptyElement(kDav, QStringLiteral("collection"));
    body->writeEmptyElement(kCardDav, QStringLiteral("addressbook"));
    body->writeEndElement();
    body->writeTextElement(kDav, QStringLiteral("displayname"), displayName);
    body->writeEndElement();
    body->writeEndElement();
    return body.Finish();
}

}  // namespace body

bool ReadMultistatus(const QByteArray& xml, const QUrl& base, std::vector<DavResponse>& responses,
                     QString& syncToken, bool& truncated, QString& error) {
    responses.clear();
    syncToken.clear();
    truncated = false;
    error.clear();
    // Read through a device, the reader decodes a block at a time rather than the whole answer
    // at once: a first sync's answer holds every card.
    QByteArray kept = KeepCarriageReturns(xml);
    QBuffer device(&kept);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement()) {
        error = reader.hasError() ? reader.errorString() : Tr("the answer is empty");
        return false;
    }
    if (reader.namespaceUri() != kDav || reader.name() != QLatin1String("multistatus")) {
        error = Tr("the answer is no WebDAV multistatus");
        return false;
    }
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("response")) {
            DavResponse response;
            if (!ReadResponse(reader, base, response)) {
                if (!reader.hasError()) {
                    error = Tr("a response names no address");
                    return false;
                }
                break;
            }
            // The collection itself cut short: the rest comes with the token.
            if (response.status == 507 && SameResource(response.url, base)) {
                truncated = true;
                continue;
            }
            responses.push_back(std::move(response));
        } else if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("sync-token")) {
            syncToken = reader.readElementText().trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
    }
    if (reader.hasError()) {
        error = Tr("%1 (line %2, column %3)")
                    .arg(reader.errorString())
                    .arg(reader.lineNumber())
                    .arg(reader.columnNumber());
        responses.clear();
        return false;
    }
    return true;
}

}  // namespace carddav
