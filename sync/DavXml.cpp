// The bodies of the requests and the reading of multistatus answers.

#include <cctype>
#include <cstring>
#include <map>

#include <QCoreApplication>
#include <QIODevice>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "DavClient.h"
#include "StoredText.h"

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

// The cards of an answer, taken out of its text before the parser: most of a first sync's
// answer is card text, which the parser would cut at every line end (see CarriageReturns) and
// copy piece by piece. Each address-data element whose text is plain (characters, the five
// named references, numeric ones, CDATA sections) leaves its text here and carries its number
// in an attribute of a name no server can guess; any other keeps its text for the parser.
struct Cards {
    QByteArray mark =
        "tidemark-card-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    std::map<qint64, QByteArray> taken;
    qint64 next = 0;
};

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The text as the parser would give it, CRs kept; false where the parser would do more (an
// element, a comment, a reference of a DTD) or refuse it.
bool PlainText(QByteArrayView text, QByteArray& out) {
    static const std::pair<const char*, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '&') {
            const qsizetype end = text.indexOf(';', i);
            if (end < 0 || end - i > 12) {
                return false;
            }
            const QByteArrayView name = text.sliced(i + 1, end - i - 1);
            bool named = false;
            for (const auto& [entity, character] : kNamed) {
                if (name == QByteArrayView(entity)) {
                    out.append(character);
                    named = true;
                }
            }
            if (!named) {
                const bool hex = name.startsWith("#x");
                const QByteArrayView digits =
                    name.sliced(qMin<qsizetype>(name.size(), hex ? 2 : 1));
                bool ok = name.startsWith('#') && !digits.isEmpty() && digits.size() <= 8;
                for (const char d : digits) {
                    ok = ok && (hex ? isxdigit(static_cast<unsigned char>(d)) != 0
                                    : d >= '0' && d <= '9');
                }
                const uint code = ok ? digits.toUInt(&ok, hex ? 16 : 10) : 0;
                if (!ok || !IsXmlChar(code)) {
                    return false;
                }
                std::string utf8;
                AppendUtf8(utf8, code);
                out.append(utf8.data(), qsizetype(utf8.size()));
            }
            i = end + 1;
        } else if (c == '<') {
            if (!text.sliced(i).startsWith("<![CDATA[")) {
                return false;
            }
            const qsizetype end = text.indexOf("]]>", i + 9);
            if (end < 0) {
                return false;
            }
            // Inside a CDATA section the line ends are the parser's: LF.
            for (qsizetype k = i + 9; k < end; ++k) {
                if (text[k] == '\r') {
                    out.append('\n');
                    if (k + 1 < end && text[k + 1] == '\n') {
                        ++k;
                    }
                } else {
                    out.append(text[k]);
                }
            }
            i = end + 3;
        } else if (c == ']' && text.sliced(i).startsWith("]]>")) {
            return false;
        } else {
            // The run of plain bytes up to the next that asks for a look, at once.
            qsizetype next = i;
            for (; next < text.size(); ++next) {
                const auto b = static_cast<unsigned char>(text[next]);
                if (b == '&' || b == '<' || b == ']' ||
                    (b < 0x20 && b != '\t' && b != '\n' && b != '\r')) {
                    break;
                }
            }
            if (next == i) {
                if (c != ']') {
                    return false;  // a control character
                }
                ++next;
            }
            out.append(text.sliced(i, next - i));
            i = next;
        }
    }
    // Bytes that are no UTF-8, and the two code points XML leaves out, are the parser's to
    // refuse.
    return IsValidUtf8(out.constData(), size_t(out.size())) && !out.contains("\xEF\xBF\xBE") &&
           !out.contains("\xEF\xBF\xBF");
}

// A parser turns every CR LF of the text into LF, as XML wants; a card's lines end with CR LF
// and must come out as the server holds them. Inside the root element, a CR of the text becomes
// a character reference, which the parser keeps. The answer comes a piece at a time; each piece
// of markup is passed on whole, and Boundary says where a child of the root has just ended:
// where a parser fed so far never stops inside a response.
class CarriageReturns {
public:
    explicit CarriageReturns(Cards& cards) : cards_(cards) {}

    void Add(QByteArrayView bytes) {
        if (raw_.isEmpty() && i_ == 0 && seen_ == 0) {
            // Cards are taken out only of an answer in UTF-8, as the parser would read it.
            capture_ = !bytes.startsWith("\xFE\xFF") && !bytes.startsWith("\xFF\xFE");
        }
        seen_ += bytes.size();
        raw_.append(bytes.data(), bytes.size());
    }

    // Converts what is whole into out; at the end (last), the rest as it is. True when the
    // converted text stops where a child of the root (or the root's start) ends.
    bool Convert(QByteArray& out, bool last) {
        bool boundary = false;
        while (i_ < raw_.size() && !boundary) {
            if (!Step(out, last)) {
                break;
            }
            boundary = tagAtTop_;
            tagAtTop_ = false;
        }
        // What has been passed on goes, so that the answer is never held whole.
        if (i_ == raw_.size()) {
            raw_.clear();
            i_ = 0;
            scanned_ = 0;
            captureScanned_ = 0;
        } else if (i_ > (1 << 16)) {
            raw_.remove(0, i_);
            scanned_ = qMax<qsizetype>(0, scanned_ - i_);
            captureScanned_ = qMax<qsizetype>(0, captureScanned_ - i_);
            i_ = 0;
        }
        return boundary;
    }

    bool Done() const { return i_ >= raw_.size(); }

private:
    // The start tag from i_ to stop: an address-data element whose text is plain is passed on
    // empty, its text among the cards. 1 when taken, 0 when not, -1 while its end has not come.
    int Capture(QByteArray& out, qsizetype stop, bool last) {
        qsizetype nameEnd = i_ + 1;
        while (nameEnd < stop - 1 && !strchr(" \t\r\n/>", raw_.at(nameEnd))) {
            ++nameEnd;
        }
        const QByteArrayView name(raw_.constData() + i_ + 1, nameEnd - i_ - 1);
        const qsizetype colon = name.lastIndexOf(':');
        if (name.sliced(colon + 1) != QByteArrayView("address-data")) {
            return 0;
        }
        const QByteArray close = "</" + name.toByteArray();
        qsizetype end = raw_.indexOf(close, qMax(stop, captureScanned_ - close.size()));
        if (end < 0) {
            captureScanned_ = raw_.size();
            return last ? 0 : -1;
        }
        captureScanned_ = 0;
        const qsizetype after = end + close.size();
        if (after >= raw_.size() && !last) {
            return -1;  // what follows the name tells whether it is the end
        }
        if (after < raw_.size() && !strchr(" \t\r\n>", raw_.at(after))) {
            return 0;  // another element whose name only starts the same
        }
        QByteArray card;
        if (!PlainText(QByteArrayView(raw_).sliced(stop, end - stop), card)) {
            return 0;
        }
        if (card.capacity() > card.size() + 16) {
            card.squeeze();  // held for the whole sync: no room beyond the card
        }
        const qint64 number = cards_.next++;
        cards_.taken.emplace(number, std::move(card));
        out.append(raw_.constData() + i_, stop - 1 - i_);
        out.append(" " + cards_.mark + "=\"" + QByteArray::number(number) + "\">");
        ++depth_;
        i_ = end;
        return 1;
    }

    // The end of the markup that starts at i_ and ends with end; -1 while it has not come.
    qsizetype EndOf(const char* end) {
        const qsizetype length = qsizetype(qstrlen(end));
        const qsizetype found = raw_.indexOf(end, qMax(i_, scanned_ - length));
        scanned_ = found < 0 ? raw_.size() : 0;
        return found < 0 ? -1 : found + length;
    }

    bool Through(QByteArray& out, const char* end, bool last) {
        qsizetype stop = EndOf(end);
        if (stop < 0) {
            if (!last) {
                return false;
            }
            stop = raw_.size();
        }
        out.append(raw_.constData() + i_, stop - i_);
        i_ = stop;
        return true;
    }

    // One piece of markup, one CR, or the text up to the next of either; false when the
    // piece has not come whole.
    bool Step(QByteArray& out, bool last) {
        const char c = raw_.at(i_);
        if (c == '<') {
            // A piece whose start has come in part waits as a tag would: the '>' that ends
            // either is further on.
            if (StartsAt(raw_, i_, "<!--")) {
                return Through(out, "-->", last);
            }
            if (StartsAt(raw_, i_, "<![CDATA[")) {
                return Through(out, "]]>", last);
            }
            if (StartsAt(raw_, i_, "<?")) {
                const qsizetype from = i_;
                if (!Through(out, "?>", last)) {
                    return false;
                }
                if (StartsAt(raw_, from, "<?xml ")) {
                    const QByteArray declaration = raw_.mid(from, i_ - from).toLower();
                    const qsizetype named = declaration.indexOf("encoding");
                    capture_ = capture_ && (named < 0 || declaration.indexOf("utf-8", named) > 0);
                }
                return true;
            }
            if (StartsAt(raw_, i_, "<!")) {
                return Through(out, ">", last);
            }
            // A tag: its attribute values may hold '>'.
            char quote = 0;
            qsizetype j = i_ + 1;
            for (; j < raw_.size(); ++j) {
                const char d = raw_.at(j);
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
            if (j >= raw_.size() && !last) {
                return false;
            }
            const qsizetype stop = qMin(j + 1, raw_.size());
            if (capture_ && j < raw_.size() && raw_.at(i_ + 1) != '/' && raw_.at(j - 1) != '/') {
                const int taken = Capture(out, stop, last);
                if (taken < 0) {
                    return false;  // its end still to come
                }
                if (taken > 0) {
                    return true;
                }
            }
            if (i_ + 1 < raw_.size() && raw_.at(i_ + 1) == '/') {
                --depth_;
            } else if (raw_.at(j - 1) != '/') {
                ++depth_;
            }
            out.append(raw_.constData() + i_, stop - i_);
            i_ = stop;
            tagAtTop_ = depth_ <= 1;
            return true;
        }
        if (c == '\r' && depth_ > 0) {
            out.append("&#13;");
            ++i_;
            return true;
        }
        qsizetype next = i_ + 1;
        while (next < raw_.size() && raw_.at(next) != '<' && raw_.at(next) != '\r') {
            ++next;
        }
        out.append(raw_.constData() + i_, next - i_);
        i_ = next;
        return true;
    }

    Cards& cards_;
    bool capture_ = true;
    qint64 seen_ = 0;
    qsizetype captureScanned_ = 0;  // how far the search for a card's end has come
    QByteArray raw_;
    qsizetype i_ = 0;
    qsizetype scanned_ = 0;  // how far the search for the end of a long piece has come
    int depth_ = 0;          // of elements open: only inside the root does text hold a reference
    bool tagAtTop_ = false;  // the last piece a tag that opened or closed the root or its child
};

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

void ReadProp(QXmlStreamReader& reader, const QUrl& base, DavResponse& props, Cards& cards) {
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
                const QStringView number =
                    reader.attributes().value(QString::fromLatin1(cards.mark));
                const auto taken =
                    number.isEmpty() ? cards.taken.end() : cards.taken.find(number.toLongLong());
                if (taken != cards.taken.end()) {
                    props.addressData = std::move(taken->second);
                    cards.taken.erase(taken);
                    reader.skipCurrentElement();
                    continue;
                }
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

bool ReadResponse(QXmlStreamReader& reader, const QUrl& base, DavResponse& response, Cards& cards) {
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
                    ReadProp(reader, base, props, cards);
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

// What the reader reads from: the converted text as it comes, its end told apart from a wait
// for more (the end of a document fed with addData is never known).
class FeedDevice : public QIODevice {
public:
    FeedDevice() { open(QIODevice::ReadOnly); }
    void Feed(QByteArray& bytes, bool last) {
        data_.remove(0, taken_);
        taken_ = 0;
        data_.append(bytes);
        bytes.clear();
        ended_ = last;
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return data_.size() - taken_ + QIODevice::bytesAvailable();
    }
    bool atEnd() const override {
        return ended_ && taken_ == data_.size() && QIODevice::bytesAvailable() == 0;
    }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 n = qMin(most, data_.size() - taken_);
        memcpy(data, data_.constData() + taken_, size_t(n));
        taken_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 taken_ = 0;
    bool ended_ = false;
};

struct MultistatusReader::State {
    QUrl base;
    Cards cards;
    CarriageReturns converter{cards};
    FeedDevice device;
    QXmlStreamReader reader{&device};
    QByteArray ready;      // converted, not yet given to the reader
    bool started = false;  // the root read
    bool closed = false;   // and its end
    bool failed = false;
};

MultistatusReader::MultistatusReader(const QUrl& base) : d_(std::make_unique<State>()) {
    d_->base = base;
}

MultistatusReader::~MultistatusReader() = default;

void MultistatusReader::Add(QByteArrayView bytes) {
    if (d_->failed) {
        return;
    }
    d_->converter.Add(bytes);
    while (!d_->converter.Done()) {
        if (!d_->converter.Convert(d_->ready, false)) {
            break;  // the rest of a piece still to come
        }
        d_->device.Feed(d_->ready, false);
        Read(false);
        if (d_->failed) {
            return;
        }
    }
}

bool MultistatusReader::Finish() {
    if (!d_->failed) {
        while (!d_->converter.Done()) {
            d_->converter.Convert(d_->ready, true);
        }
        d_->device.Feed(d_->ready, true);
        Read(true);
    }
    if (d_->failed) {
        responses.clear();
    }
    return !d_->failed;
}

// Reads what the reader holds; it holds only whole children of the root, so a response is
// never read in part.
void MultistatusReader::Read(bool last) {
    QXmlStreamReader& reader = d_->reader;
    // Running out of text is no error before the end, nor after the root has closed (what may
    // follow it is never known to be over).
    const auto outOfText = [&] {
        return (!last || d_->closed) &&
               reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    };
    const auto fail = [&](const QString& why) {
        error = why;
        d_->failed = true;
    };
    if (!d_->started) {
        if (!reader.readNextStartElement()) {
            if (!outOfText()) {
                fail(reader.hasError() ? reader.errorString() : Tr("the answer is empty"));
            }
            return;
        }
        if (reader.namespaceUri() != kDav || reader.name() != QLatin1String("multistatus")) {
            fail(Tr("the answer is no WebDAV multistatus"));
            return;
        }
        d_->started = true;
    }
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() == kDav && reader.name() == QLatin1String("response")) {
            DavResponse response;
            if (!ReadResponse(reader, d_->base, response, d_->cards)) {
                if (!reader.hasError()) {
                    fail(Tr("a response names no address"));
                    return;
                }
                break;
            }
            // The collection itself cut short: the rest comes with the token.
            if (response.status == 507 && SameResource(response.url, d_->base)) {
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
    d_->closed = d_->closed || reader.isEndElement();
    if (last) {
        while (!reader.atEnd() && !reader.hasError()) {
            reader.readNext();
        }
    }
    if (reader.hasError() && !outOfText()) {
        fail(Tr("%1 (line %2, column %3)")
                 .arg(reader.errorString())
                 .arg(reader.lineNumber())
                 .arg(reader.columnNumber()));
    }
}

bool ReadMultistatus(const QByteArray& xml, const QUrl& base, std::vector<DavResponse>& responses,
                     QString& syncToken, bool& truncated, QString& error) {
    MultistatusReader reader(base);
    reader.Add(xml);
    const bool read = reader.Finish();
    responses = std::move(reader.responses);
    syncToken = reader.syncToken;
    truncated = reader.truncated;
    error = reader.error;
    return read;
}

}  // namespace carddav
