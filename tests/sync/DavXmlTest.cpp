// Multistatus answers as servers write them, read by namespace; the bodies the sync sends.

#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include "DavClient.h"
#include "Discovery.h"

using carddav::DavResponse;

namespace {

const QUrl kBase(QStringLiteral("https://dav.example.com/user/contacts/"));

struct Read {
    bool ok = false;
    std::vector<DavResponse> responses;
    QString syncToken;
    bool truncated = false;
    QString error;
};

void ExpectSame(const Read& a, const Read& b, const std::string& how) {
    EXPECT_EQ(a.ok, b.ok) << how;
    EXPECT_EQ(a.error, b.error) << how;
    EXPECT_EQ(a.syncToken, b.syncToken) << how;
    EXPECT_EQ(a.truncated, b.truncated) << how;
    ASSERT_EQ(a.responses.size(), b.responses.size()) << how;
    for (size_t n = 0; n < a.responses.size(); ++n) {
        const DavResponse& x = a.responses[n];
        const DavResponse& y = b.responses[n];
        EXPECT_EQ(x.url, y.url) << how << " " << n;
        EXPECT_EQ(x.status, y.status) << how << " " << n;
        EXPECT_EQ(x.etag, y.etag) << how << " " << n;
        EXPECT_EQ(x.displayName, y.displayName) << how << " " << n;
        EXPECT_EQ(x.syncToken, y.syncToken) << how << " " << n;
        EXPECT_EQ(x.ctag, y.ctag) << how << " " << n;
        EXPECT_EQ(x.collection, y.collection) << how << " " << n;
        EXPECT_EQ(x.addressBook, y.addressBook) << how << " " << n;
        EXPECT_EQ(x.vcard4, y.vcard4) << how << " " << n;
        EXPECT_EQ(x.principal, y.principal) << how << " " << n;
        EXPECT_EQ(x.addressBookHome, y.addressBookHome) << how << " " << n;
        EXPECT_EQ(x.addressData, y.addressData) << how << " " << n;
    }
}

// Read whole; and, as it comes from a server, in pieces of a few sizes, each way giving the
// same.
Read ReadXml(const QByteArray& xml, const QUrl& base = kBase) {
    Read read;
    read.ok = carddav::ReadMultistatus(xml, base, read.responses, read.syncToken, read.truncated,
                                       read.error);
    for (const qsizetype piece : {1, 2, 5, 9, 10, 64, 1000}) {
        carddav::MultistatusReader reader(base);
        for (qsizetype at = 0; at < xml.size(); at += piece) {
            reader.Add(QByteArrayView(xml).sliced(at, qMin(piece, xml.size() - at)));
        }
        Read pieces;
        pieces.ok = reader.Finish();
        pieces.responses = std::move(reader.responses);
        pieces.syncToken = reader.syncToken;
        pieces.truncated = reader.truncated;
        pieces.error = reader.error;
        ExpectSame(read, pieces, "in pieces of " + std::to_string(piece));
    }
    return read;
}

}  // namespace

TEST(DavXml, ReadsPropertiesByNamespaceWhateverThePrefixes) {
    // Odd prefixes, the DAV namespace as default, and a decoy of the same local names in a
    // namespace of its own.
    const Read read = ReadXml(
        "<?xml version='1.0'?>\n"
        "<multistatus xmlns='DAV:' xmlns:Q='urn:ietf:params:xml:ns:carddav'\n"
        "    xmlns:x1='http://calendarserver.org/ns/' xmlns:d='urn:example:decoy'>\n"
        " <response><href>/user/contacts/</href>\n"
        "  <propstat><prop>\n"
        "   <resourcetype><collection/><Q:addressbook/></resourcetype>\n"
        "   <displayname>Friends &amp; Family</displayname>\n"
        "   <d:getetag>\"decoy\"</d:getetag>\n"
        "   <x1:getctag>ctag-7</x1:getctag>\n"
        "   <sync-token>tok-1</sync-token>\n"
        "   <Q:supported-address-data>\n"
        "    <Q:address-data-type content-type='text/vcard' version='3.0'/>\n"
        "    <Q:address-data-type content-type='text/vcard' version='4.0'/>\n"
        "   </Q:supported-address-data>\n"
        "  </prop><status>HTTP/1.1 200 OK</status></propstat>\n"
        " </response>\n"
        " <z:response xmlns:z='DAV:'><z:href>/user/</z:href><z:propstat><z:prop>\n"
        "   <z:current-user-principal><z:href>/user/</z:href></z:current-user-principal>\n"
        "   <card:addressbook-home-set xmlns:card='urn:ietf:params:xml:ns:carddav'>"
        "<z:href>/user/books/</z:href></card:addressbook-home-set>\n"
        "   <z:resourcetype><z:principal/></z:resourcetype>\n"
        "   <z:getetag xmlns:z='urn:example:decoy'>\"decoy too\"</z:getetag>\n"
        "  </z:prop><z:status>HTTP/1.1 200 OK</z:status></z:propstat></z:response>\n"
        "</multistatus>");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.responses.size(), 2u);
    const DavResponse& book = read.responses[0];
    EXPECT_EQ(book.url, QUrl(QStringLiteral("https://dav.example.com/user/contacts/")));
    EXPECT_EQ(book.status, 200);
    EXPECT_TRUE(book.collection);
    EXPECT_TRUE(book.addressBook);
    EXPECT_TRUE(book.vcard4);
    EXPECT_EQ(book.displayName, QStringLiteral("Friends & Family"));
    EXPECT_TRUE(book.etag.isEmpty()) << "an element of another namespace is no getetag";
    EXPECT_EQ(book.ctag, QStringLiteral("ctag-7"));
    EXPECT_EQ(book.syncToken, QStringLiteral("tok-1"));
    const DavResponse& principal = read.responses[1];
    EXPECT_EQ(principal.principal, QUrl(QStringLiteral("https://dav.example.com/user/")));
    EXPECT_EQ(principal.addressBookHome,
              QUrl(QStringLiteral("https://dav.example.com/user/books/")));
    EXPECT_FALSE(principal.collection);
    EXPECT_FALSE(principal.addressBook);
    EXPECT_TRUE(principal.etag.isEmpty());
    // A prefix that names the carddav namespace elsewhere means nothing here.
    const Read byPrefix = ReadXml(
        "<D:multistatus xmlns:D='urn:example:not-dav'><D:response><D:href>/a</D:href>"
        "</D:response></D:multistatus>");
    EXPECT_FALSE(byPrefix.ok);
}

TEST(DavXml, OnlyTheVersionsOfferedCountAndOnlySuccessfulPropstats) {
    const Read read = ReadXml(
        "<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:carddav'>"
        "<d:response><d:href>/user/contacts/a.vcf</d:href>"
        "<d:propstat><d:status>HTTP/1.1 200 OK</d:status><d:prop><d:getetag>\"1\"</d:getetag>"
        "<c:supported-address-data><c:content-type content-type='text/vcard' version='3.0'/>"
        "</c:supported-address-data></d:prop></d:propstat>"
        "<d:propstat><d:status>HTTP/1.1 404 Not Found</d:status><d:prop><d:displayname>ghost"
        "</d:displayname><c:address-data>BEGIN:VCARD</c:address-data></d:prop></d:propstat>"
        "</d:response>"
        // Every property missing: the status of the propstat stands.
        "<d:response><d:href>/user/contacts/b.vcf</d:href>"
        "<d:propstat><d:prop><d:getetag/></d:prop><d:status>HTTP/1.1 404 Not Found</d:status>"
        "</d:propstat></d:response>"
        // A member gone since the token: a status of the response's own.
        "<d:response><d:href>/user/contacts/c.vcf</d:href>"
        "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
        "</d:multistatus>");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.responses.size(), 3u);
    EXPECT_EQ(read.responses[0].status, 200);
    EXPECT_EQ(read.responses[0].etag, QStringLiteral("\"1\""));
    EXPECT_FALSE(read.responses[0].vcard4);
    EXPECT_TRUE(read.responses[0].displayName.isEmpty());
    EXPECT_TRUE(read.responses[0].addressData.isEmpty());
    EXPECT_EQ(read.responses[1].status, 404);
    EXPECT_EQ(read.responses[2].status, 404);
    EXPECT_EQ(read.responses[2].url.path(), QStringLiteral("/user/contacts/c.vcf"));
}

TEST(DavXml, TheSyncTokenAndATruncatedCollection) {
    const QByteArray xml =
        "<multistatus xmlns='DAV:'>"
        "<response><href>https://dav.example.com/user/contacts/a.vcf</href><propstat><prop>"
        "<getetag>\"a\"</getetag></prop><status>HTTP/1.1 200 OK</status></propstat></response>"
        "<response><href>/user/contacts</href><status>HTTP/1.1 507 Insufficient Storage</status>"
        "</response>"
        "<sync-token>http://example.com/sync/42</sync-token></multistatus>";
    const Read read = ReadXml(xml);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_TRUE(read.truncated);
    EXPECT_EQ(read.syncToken, QStringLiteral("http://example.com/sync/42"));
    ASSERT_EQ(read.responses.size(), 1u) << "the collection itself is no member";
    EXPECT_EQ(read.responses[0].etag, QStringLiteral("\"a\""));
    EXPECT_TRUE(read.responses[0].syncToken.isEmpty());
    // 507 on a member is that member's.
    const Read member = ReadXml(
        "<multistatus xmlns='DAV:'><response><href>/user/contacts/b.vcf</href>"
        "<status>HTTP/1.1 507 Insufficient Storage</status></response></multistatus>");
    ASSERT_TRUE(member.ok);
    EXPECT_FALSE(member.truncated);
    ASSERT_EQ(member.responses.size(), 1u);
    EXPECT_EQ(member.responses[0].status, 507);
}

TEST(DavXml, AddressDataKeepsItsBytesLineEndsIncluded) {
    const QByteArray card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xc3\xbcrgen <Tester> & Co\r\nNOTE:one\\ntwo\r\n"
        "END:VCARD\r\n";
    const QByteArray escaped =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xc3\xbcrgen &lt;Tester&gt; &amp; Co\r\n"
        "NOTE:one\\ntwo\r\nEND:VCARD\r\n";
    const auto xml = [](const QByteArray& data) {
        return "<?xml version='1.0' encoding='utf-8'?>\r\n<d:multistatus xmlns:d='DAV:'\r\n"
               "  xmlns:c='urn:ietf:params:xml:ns:carddav'>\r\n<d:response>\r\n"
               "<d:href>/user/contacts/j.vcf</d:href>\r\n<d:propstat><d:prop>\r\n"
               "<d:getetag>\"j\"</d:getetag>\r\n<c:address-data>" +
               data +
               "</c:address-data></d:prop>\r\n"
               "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>\r\n"
               "</d:multistatus>\r\n";
    };
    for (const QByteArray& given : {escaped, QByteArray(escaped).replace("\r", "&#13;"),
                                    QByteArray("<![CDATA[") + card + "]]>"}) {
        const Read read = ReadXml(xml(given));
        ASSERT_TRUE(read.ok) << read.error.toStdString() << "\n" << given.toStdString();
        ASSERT_EQ(read.responses.size(), 1u);
        EXPECT_EQ(read.responses[0].etag, QStringLiteral("\"j\""));
        if (given.startsWith("<![CDATA[")) {
            // The parser's line ends, as XML wants them inside a CDATA section.
            EXPECT_EQ(read.responses[0].addressData, QByteArray(card).replace("\r\n", "\n"));
        } else {
            EXPECT_EQ(read.responses[0].addressData, card) << given.toStdString();
        }
    }
}

TEST(DavXml, HrefsAreResolvedAgainstTheRequestAndDecoded) {
    const Read read = ReadXml(
        "<multistatus xmlns='DAV:'>"
        "<response><href>/user/contacts/J%C3%BCrgen%20M.vcf</href><status>HTTP/1.1 200 OK"
        "</status></response>"
        "<response><href>b.vcf</href><status>HTTP/1.1 200 OK</status></response>"
        "<response><href>https://other.example.com/user/contacts/c.vcf</href>"
        "<status>HTTP/1.1 200 OK</status></response>"
        "<response><href>/user/contacts/../d.vcf</href><status>HTTP/1.1 200 OK</status>"
        "</response>"
        "</multistatus>");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.responses.size(), 4u);
    EXPECT_EQ(read.responses[0].url.path(), QStringLiteral("/user/contacts/J\u00fcrgen M.vcf"));
    EXPECT_EQ(read.responses[0].url.host(), QStringLiteral("dav.example.com"));
    EXPECT_EQ(read.responses[1].url,
              QUrl(QStringLiteral("https://dav.example.com/user/contacts/b.vcf")));
    EXPECT_TRUE(carddav::IsInside(read.responses[0].url, kBase));
    EXPECT_TRUE(carddav::IsInside(read.responses[1].url, kBase));
    EXPECT_FALSE(carddav::IsInside(read.responses[2].url, kBase)) << "another host";
    EXPECT_FALSE(carddav::IsInside(read.responses[3].url, kBase)) << "above the collection";
    EXPECT_FALSE(carddav::IsInside(kBase, kBase)) << "the collection itself";
    EXPECT_FALSE(
        carddav::IsInside(QUrl(QStringLiteral("http://dav.example.com/user/contacts/a")), kBase))
        << "another scheme";
    EXPECT_FALSE(carddav::IsInside(
        QUrl(QStringLiteral("https://dav.example.com:8443/user/contacts/a")), kBase))
        << "another port";
    EXPECT_TRUE(carddav::IsInside(
        QUrl(QStringLiteral("https://DAV.example.com:443/user/contacts/a")), kBase));
    EXPECT_FALSE(carddav::IsInside(QUrl(QStringLiteral("https://dav.example.com/user/contactsX/a")),
                                   QUrl(QStringLiteral("https://dav.example.com/user/contacts"))));
}

TEST(DavXml, WhatIsNoMultistatusIsRefusedWithTheReason) {
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("<html><body>Hello</body></html>"), QByteArray("not xml at all"),
          QByteArray("<multistatus xmlns='DAV:'><response><href>/a</href>"),
          QByteArray("<multistatus xmlns='DAV:'><response><propstat/>"
                     "</response></multistatus>"),
          QByteArray("<multistatus xmlns='DAV:'></multistatus><x/>")}) {
        const Read read = ReadXml(bad);
        EXPECT_FALSE(read.ok) << bad.toStdString();
        EXPECT_FALSE(read.error.isEmpty()) << bad.toStdString();
        EXPECT_TRUE(read.responses.empty()) << bad.toStdString();
    }
    const Read empty = ReadXml("<multistatus xmlns='DAV:'/>");
    EXPECT_TRUE(empty.ok) << empty.error.toStdString();
    EXPECT_TRUE(empty.responses.empty());
}

namespace {

// The elements of a body, as "{namespace}name" in document order, and their texts.
QStringList Elements(const QByteArray& xml, QStringList* texts = nullptr) {
    QStringList names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            names << QStringLiteral("{%1}%2").arg(reader.namespaceUri(), reader.name());
        } else if (reader.isCharacters() && !reader.isWhitespace() && texts) {
            texts->append(reader.text().toString());
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return names;
}

}  // namespace

TEST(DavXml, TheBodiesAreNamespacedXml) {
    const QString dav = QStringLiteral("{DAV:}");
    const QString card = QStringLiteral("{urn:ietf:params:xml:ns:carddav}");
    const QStringList propfind = Elements(carddav::body::Propfind());
    EXPECT_EQ(propfind.value(0), dav + "propfind");
    for (const QString& wanted : {dav + "resourcetype", dav + "displayname", dav + "getetag",
                                  dav + "sync-token", dav + "current-user-principal",
                                  card + "supported-address-data", card + "addressbook-home-set",
                                  QStringLiteral("{http://calendarserver.org/ns/}getctag")}) {
        EXPECT_TRUE(propfind.contains(wanted)) << wanted.toStdString();
    }
    EXPECT_EQ(Elements(carddav::body::PropfindEtags()),
              QStringList({dav + "propfind", dav + "prop", dav + "resourcetype", dav + "getetag"}));

    QStringList texts;
    const QStringList sync =
        Elements(carddav::body::SyncCollection(QStringLiteral("a<b&c"), true), &texts);
    EXPECT_EQ(sync, QStringList({dav + "sync-collection", dav + "sync-token", dav + "sync-level",
                                 dav + "prop", dav + "getetag", card + "address-data"}));
    EXPECT_EQ(texts, QStringList({QStringLiteral("a<b&c"), QStringLiteral("1")}));
    EXPECT_FALSE(
        Elements(carddav::body::SyncCollection({}, false)).contains(card + "address-data"));

    texts.clear();
    const QStringList multiget = Elements(
        carddav::body::Multiget({QUrl(QStringLiteral("https://h/user/contacts/J\u00fcrgen M.vcf")),
                                 QUrl(QStringLiteral("https://h/user/contacts/b.vcf"))}),
        &texts);
    EXPECT_EQ(multiget.value(0), card + "addressbook-multiget");
    EXPECT_EQ(multiget.count(dav + "href"), 2);
    EXPECT_EQ(texts, QStringList({QStringLiteral("/user/contacts/J%C3%BCrgen%20M.vcf"),
                                  QStringLiteral("/user/contacts/b.vcf")}));

    texts.clear();
    EXPECT_EQ(Elements(carddav::body::MakeAddressBook(QStringLiteral("Work & Play")), &texts),
              QStringList({dav + "mkcol", dav + "set", dav + "prop", dav + "resourcetype",
                           dav + "collection", card + "addressbook", dav + "displayname"}));
    EXPECT_EQ(texts, QStringList({QStringLiteral("Work & Play")}));
}

TEST(DavXml, ServerAddressesAsTypedAndLoopbackHosts) {
    EXPECT_EQ(carddav::ServerUrl(QStringLiteral(" dav.example.com ")),
              QUrl(QStringLiteral("https://dav.example.com/")));
    EXPECT_EQ(carddav::ServerUrl(QStringLiteral("dav.example.com:8443/remote.php/dav")),
              QUrl(QStringLiteral("https://dav.example.com:8443/remote.php/dav")));
    EXPECT_EQ(carddav::ServerUrl(QStringLiteral("http://127.0.0.1:5232")),
              QUrl(QStringLiteral("http://127.0.0.1:5232/")));
    EXPECT_TRUE(carddav::ServerUrl(QString()).isEmpty());
    for (const char* loopback : {"http://127.0.0.1:5232/", "http://127.5.6.7/", "http://[::1]/",
                                 "http://localhost/", "http://LocalHost:80/"}) {
        EXPECT_TRUE(carddav::IsLoopback(QUrl(QLatin1String(loopback)))) << loopback;
    }
    for (const char* other : {"http://128.0.0.1/", "http://dav.example.com/", "http://[::2]/",
                              "http://localhost.example.com/", "http://10.0.0.1/"}) {
        EXPECT_FALSE(carddav::IsLoopback(QUrl(QLatin1String(other)))) << other;
    }
}

TEST(DavXml, LineEndsOfTheMarkupItselfAreLeftToTheParser) {
    // CR LF between attributes, in an attribute value with '>', in comments, processing
    // instructions and whitespace: only the text of an element keeps its CR.
    const QByteArray xml =
        "<?xml version='1.0'?>\r\n<!-- a <comment> with\r\n line ends -->\r\n"
        "<multistatus\r\n xmlns='DAV:'\r\n xmlns:c='urn:ietf:params:xml:ns:carddav'\r\n"
        " note='a > b'\r\n>\r\n  <response\r\n>\r\n<href>/user/contacts/a.vcf</href>\r\n"
        "<?server hint\r\n?>\r\n<propstat\r\n><prop><getetag>\"a\"</getetag>"
        "<c:address-data>BEGIN:VCARD\r\nEND:VCARD\r\n</c:address-data></prop>\r\n"
        "<status\r\n>HTTP/1.1 200 OK</status></propstat></response\r\n>\r\n</multistatus\r\n>\r\n"
        "<!-- after\r\n -->\r\n";
    const Read read = ReadXml(xml);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.responses.size(), 1u);
    EXPECT_EQ(read.responses[0].status, 200);
    EXPECT_EQ(read.responses[0].etag, QStringLiteral("\"a\""));
    EXPECT_EQ(read.responses[0].addressData, QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n"));
}

TEST(DavXml, AnAnswerOfManyCardsReadsWholeAcrossTheReadersBlocks) {
    // Cards of every size, with CRs, accents and escapes, so that elements, characters of
    // several bytes and references fall across the blocks the reader takes at a time.
    std::vector<QByteArray> cards;
    QByteArray xml =
        "<?xml version='1.0' encoding='utf-8'?>\n<d:multistatus xmlns:d='DAV:' "
        "xmlns:c='urn:ietf:params:xml:ns:carddav'><d:sync-token>tok-9</d:sync-token>";
    for (int n = 0; n < 600; ++n) {
        QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u" + QByteArray::number(n) +
                          "\r\nFN:Zoë Müller & Søren <" + QByteArray::number(n) + ">\r\n";
        card += "NOTE:" + QByteArray(n * 7 % 3000, 'x') + "é\r\nEND:VCARD\r\n";
        QByteArray escaped = card;
        escaped.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
        escaped.replace("\r", "&#13;");
        xml += "<d:response><d:href>/user/contacts/u" + QByteArray::number(n) +
               ".vcf</d:href><d:propstat><d:prop><d:getetag>\"e" + QByteArray::number(n) +
               "\"</d:getetag><c:address-data>" + escaped +
               "</c:address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
               "</d:response>";
        cards.push_back(card);
    }
    xml += "</d:multistatus>";
    ASSERT_GT(xml.size(), 500000);
    const Read read = ReadXml(xml);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_EQ(read.syncToken, QStringLiteral("tok-9"));
    ASSERT_EQ(read.responses.size(), cards.size());
    for (size_t n = 0; n < cards.size(); ++n) {
        const DavResponse& r = read.responses[n];
        EXPECT_EQ(r.addressData, cards[n]) << n;
        EXPECT_EQ(r.etag, QStringLiteral("\"e%1\"").arg(n)) << n;
        // No room kept beyond the card: a first sync holds every card at once.
        EXPECT_LE(r.addressData.capacity(), r.addressData.size() + 16) << n;
    }
}

TEST(DavXml, AnAnswerReadAsItComesGivesEachResponseOnceItIsWhole) {
    // A CDATA section with a quote and a '>' of its own, then a card whose CR LF must stay: each
    // read in pieces of every size, the same as read whole (ReadXml).
    const QByteArray first =
        "<?xml version='1.0'?>\r\n<d:multistatus xmlns:d='DAV:' "
        "xmlns:c='urn:ietf:params:xml:ns:carddav'>\r\n"
        "<d:response><d:href>/user/contacts/a.vcf</d:href><d:propstat><d:prop>"
        "<c:address-data><![CDATA[BEGIN:VCARD\r\nFN:Say \"no > yes\r\nEND:VCARD\r\n]]>"
        "</c:address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "</d:response>";
    const QByteArray rest =
        "\r\n<d:response><d:href>/user/contacts/b.vcf</d:href><d:propstat><d:prop>"
        "<c:address-data>BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n</c:address-data></d:prop>"
        "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
        "<d:sync-token>t1</d:sync-token></d:multistatus>\r\n";
    const Read read = ReadXml(first + rest);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    ASSERT_EQ(read.responses.size(), 2u);
    EXPECT_EQ(read.responses[0].addressData,
              QByteArray("BEGIN:VCARD\nFN:Say \"no > yes\nEND:VCARD\n"))
        << "a CDATA section's line ends are the parser's";
    EXPECT_EQ(read.responses[1].addressData, QByteArray("BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n"));
    EXPECT_EQ(read.syncToken, QStringLiteral("t1"));

    // The first response is there as soon as its end has come, before the rest of the answer.
    carddav::MultistatusReader reader(kBase);
    reader.Add(first);
    ASSERT_EQ(reader.responses.size(), 1u);
    EXPECT_EQ(reader.responses[0].url.path(), QStringLiteral("/user/contacts/a.vcf"));
    reader.Add(rest.left(20));
    EXPECT_EQ(reader.responses.size(), 1u);
    reader.Add(rest.mid(20));
    EXPECT_TRUE(reader.Finish()) << reader.error.toStdString();
    EXPECT_EQ(reader.responses.size(), 2u);

    // Cut short: what came whole is read, and the answer is refused.
    carddav::MultistatusReader cut(kBase);
    cut.Add(first + rest.left(rest.size() / 2));
    EXPECT_FALSE(cut.Finish());
    EXPECT_FALSE(cut.error.isEmpty());
    EXPECT_TRUE(cut.responses.empty()) << "a refused answer gives nothing";
}

TEST(DavXml, ACardsTextReadsAsTheParserWouldReadItWhateverItHolds) {
    // The card's text is taken out before the parser where it is plain; where it is not, the
    // parser reads it. Either way the same card, or the same refusal.
    const auto answer = [](const QByteArray& text, const QByteArray& declaration = {}) {
        return declaration +
               "<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:carddav'>"
               "<d:response><d:href>/user/contacts/a.vcf</d:href><d:propstat><d:prop>"
               "<c:address-data content-type='text/vcard'>" +
               text +
               "</c:address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
               "</d:response></d:multistatus>";
    };
    const struct {
        QByteArray text;
        QByteArray card;  // empty: refused
    } cases[] = {
        {"FN:Ren&#233;e &#xE9;&#x1F600; &lt;&amp;&gt;&quot;&apos;\r\n",
         "FN:Ren\xc3\xa9"
         "e \xc3\xa9\xf0\x9f\x98\x80 <&>\"'\r\n"},
        {"FN:A\r\n<!-- a note -->END\r\n", "FN:A\r\nEND\r\n"},
        {"FN:A\r\n<![CDATA[<b>\r\n]]>\r\n", "FN:A\r\n<b>\n\r\n"},
        {"<![CDATA[FN:A </c:address-data> B\r\n]]>", "FN:A </c:address-data> B\n"},
        {"FN:A&nbsp;\r\n", ""},
        {"FN:A&#0;\r\n", ""},
        {"FN:A&#x110000;\r\n", ""},
        {"FN:A&#12a;\r\n", ""},
        {"FN:A ]]> B\r\n", ""},
        {"FN:A\x01\r\n", ""},
        {"FN:A\xff\r\n", ""},
    };
    for (const auto& c : cases) {
        const Read read = ReadXml(answer(c.text));
        if (c.card.isEmpty()) {
            EXPECT_FALSE(read.ok) << c.text.toStdString();
            continue;
        }
        ASSERT_TRUE(read.ok) << c.text.toStdString() << ": " << read.error.toStdString();
        ASSERT_EQ(read.responses.size(), 1u);
        EXPECT_EQ(read.responses[0].addressData, c.card) << c.text.toStdString();
    }
    // An answer in another encoding is decoded by the parser.
    const Read latin1 =
        ReadXml(answer("FN:Ren\xe9"
                       "e\r\n",
                       "<?xml version='1.0' encoding='ISO-8859-1'?>"));
    ASSERT_TRUE(latin1.ok) << latin1.error.toStdString();
    ASSERT_EQ(latin1.responses.size(), 1u);
    EXPECT_EQ(latin1.responses[0].addressData, QByteArray("FN:Ren\xc3\xa9"
                                                          "e\r\n"));
    // The same local name in another namespace is no card.
    const Read decoy = ReadXml(
        "<d:multistatus xmlns:d='DAV:' xmlns:x='urn:example:decoy'><d:response>"
        "<d:href>/user/contacts/a.vcf</d:href><d:propstat><d:prop><x:address-data>FN:X\r\n"
        "</x:address-data></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>"
        "</d:response></d:multistatus>");
    ASSERT_TRUE(decoy.ok);
    ASSERT_EQ(decoy.responses.size(), 1u);
    EXPECT_TRUE(decoy.responses[0].addressData.isEmpty());
}
