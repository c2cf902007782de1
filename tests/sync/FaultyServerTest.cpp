// A server that answers wrong on purpose: each fault ends the request with plain words.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>

#include "CardDavServer.h"
#include "SyncTestSupport.h"

using carddav::DavClient;
using carddav::DavReply;

namespace {

using Kind = CardDavServer::Kind;

DavReply PropfindAt(DavClient& client, const QUrl& url, int depth = 0) {
    return Await([&](DavClient::Done done) {
        client.Propfind(url, depth, carddav::body::Propfind(), done);
    });
}

}  // namespace

TEST(FaultyServer, MalformedXmlIsAnAnswerThatCannotBeRead) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("malformed"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    const DavReply reply = PropfindAt(client, server.AddressBookUrl(), 1);
    EXPECT_EQ(reply.status, 207);
    EXPECT_TRUE(reply.error.startsWith(QStringLiteral("The server's answer could not be read: ")))
        << reply.error.toStdString();
    EXPECT_TRUE(reply.responses.empty());
    const carddav::DiscoveryResult found = AwaitDiscovery(client, server.BaseUrl().toString());
    EXPECT_TRUE(found.error.startsWith(QStringLiteral("The server's answer could not be read: ")))
        << found.error.toStdString();
}

TEST(FaultyServer, RedirectsInALoopOrWithoutEndAreRefused) {
    CardDavServer loop(Kind::Faulty, {}, QStringLiteral("loop"));
    ASSERT_TRUE(loop.Ok()) << loop.Failure().toStdString();
    DavClient client;
    const DavReply round = PropfindAt(client, loop.BaseUrl().resolved(QUrl(QStringLiteral("/a/"))));
    EXPECT_EQ(round.error, QStringLiteral("The server's redirects go round in a loop."));
    EXPECT_EQ(round.status, 301);

    CardDavServer chain(Kind::Faulty, {}, QStringLiteral("chain"));
    ASSERT_TRUE(chain.Ok()) << chain.Failure().toStdString();
    const DavReply endless = Await([&](DavClient::Done done) {
        client.Report(chain.BaseUrl(), 1, carddav::body::SyncCollection({}, false), done);
    });
    EXPECT_EQ(endless.error,
              QStringLiteral("The server redirected the request more than 5 times."));
    EXPECT_EQ(endless.url.path(), QStringLiteral("/hop/5/")) << "five hops followed, no more";
}

TEST(FaultyServer, AServerThatNeverAnswersTimesOut) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("silent"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    client.SetTimeout(1000);
    QElapsedTimer clock;
    clock.start();
    const DavReply reply = PropfindAt(client, server.AddressBookUrl());
    EXPECT_EQ(reply.error, QStringLiteral("The server did not answer in 1 second."));
    EXPECT_EQ(reply.status, 0);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(client.InFlight(), 0);
}

TEST(FaultyServer, AHugeAnswerIsCutOff) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("huge"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    client.SetMaximumBody(4 << 20);
    const DavReply reply = PropfindAt(client, server.AddressBookUrl(), 1);
    EXPECT_TRUE(reply.error.startsWith(QStringLiteral("The server's answer was too large")))
        << reply.error.toStdString();
    EXPECT_TRUE(reply.responses.empty());
    EXPECT_TRUE(reply.body.isEmpty()) << "what came is not kept";
    // The length said beforehand: refused before the body.
    const DavReply said =
        PropfindAt(client, server.BaseUrl().resolved(QUrl(QStringLiteral("/length/"))), 1);
    EXPECT_TRUE(said.error.startsWith(QStringLiteral("The server's answer was too large")))
        << said.error.toStdString();
    EXPECT_TRUE(said.body.isEmpty());
    // Under the default limit, the same answer is read whole.
    DavClient roomy;
    const DavReply whole = PropfindAt(roomy, server.AddressBookUrl(), 1);
    EXPECT_TRUE(whole.Ok()) << whole.error.toStdString();
    EXPECT_EQ(whole.status, 207);
    EXPECT_TRUE(whole.body.isEmpty()) << "a multistatus is read as it comes, not kept";
}

TEST(FaultyServer, HrefsOutsideTheAddressBookAreToldApart) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("outside"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    const DavReply reply = PropfindAt(client, server.AddressBookUrl(), 1);
    ASSERT_TRUE(reply.Ok()) << reply.error.toStdString();
    ASSERT_EQ(reply.responses.size(), 4u);
    QStringList inside;
    for (const auto& response : reply.responses) {
        if (carddav::IsInside(response.url, server.AddressBookUrl())) {
            inside << response.url.path();
        }
    }
    EXPECT_EQ(inside, QStringList({QStringLiteral("/book/in.vcf")}));
    EXPECT_EQ(reply.responses[2].url.host(), QStringLiteral("elsewhere.invalid"));
}

TEST(FaultyServer, NoServerAtThePortIsSaidSo) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/").arg(probe.serverPort()));
    probe.close();
    DavClient client;
    const DavReply reply = PropfindAt(client, url);
    EXPECT_EQ(reply.status, 0);
    EXPECT_TRUE(reply.error.startsWith(QStringLiteral("The server could not be reached: ")))
        << reply.error.toStdString();
    const carddav::DiscoveryResult found = AwaitDiscovery(client, url.toString());
    EXPECT_TRUE(found.error.startsWith(QStringLiteral("The server could not be reached: ")));
    EXPECT_EQ(AwaitDiscovery(client, QStringLiteral("http://")).error.isEmpty(), false);
}

TEST(FaultyServer, CancelAllEndsEveryRequestWithoutACallback) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("silent"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    int called = 0;
    {
        DavClient client;
        client.SetTimeout(500);
        for (int i = 0; i < 3; ++i) {
            client.Get(server.AddressBookUrl(), [&](const DavReply&) { ++called; });
        }
        client.Propfind(server.AddressBookUrl(), 1, carddav::body::Propfind(),
                        [&](const DavReply&) { ++called; });
        EXPECT_EQ(client.InFlight(), 4);
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        client.CancelAll();
        EXPECT_EQ(client.InFlight(), 0);
        // Past the time-out: had a request been left, its callback would have come.
        QTimer::singleShot(900, &loop, &QEventLoop::quit);
        loop.exec();
        // A client gone with requests in flight calls none back either.
        client.Get(server.AddressBookUrl(), [&](const DavReply&) { ++called; });
    }
    QEventLoop loop;
    QTimer::singleShot(700, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(called, 0);
}

TEST(FaultyServer, DigestIsAnsweredOnceAndAWrongPasswordRefused) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("digest"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    client.SetCredentials(QStringLiteral("user"), QStringLiteral("secret"));
    const DavReply taken = PropfindAt(client, server.AddressBookUrl(), 1);
    ASSERT_TRUE(taken.Ok()) << taken.error.toStdString();
    EXPECT_EQ(taken.responses.size(), 4u);

    client.SetCredentials(QStringLiteral("user"), QStringLiteral("not the secret"));
    const DavReply refused = PropfindAt(client, server.AddressBookUrl(), 1);
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.error, QStringLiteral("The server refused the user name or password."));
    EXPECT_TRUE(refused.responses.empty());
}

TEST(FaultyServer, ACertificateTheSystemDoesNotTrustFailsTheRequest) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("tls"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    ASSERT_EQ(server.BaseUrl().scheme(), QStringLiteral("https"));
    DavClient client;
    const DavReply reply = PropfindAt(client, server.AddressBookUrl(), 1);
    EXPECT_EQ(reply.status, 0);
    EXPECT_TRUE(
        reply.error.startsWith(QStringLiteral("The secure connection to the server failed: ")))
        << reply.error.toStdString();
    EXPECT_TRUE(reply.error.contains(QStringLiteral("self signed"), Qt::CaseInsensitive) ||
                reply.error.contains(QStringLiteral("self-signed"), Qt::CaseInsensitive))
        << reply.error.toStdString();
    EXPECT_TRUE(reply.responses.empty());
}

TEST(FaultyServer, ACallbackMayDeleteTheClient) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("outside"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    auto* client = new DavClient;
    int called = 0;
    QEventLoop loop;
    const auto deleting = [&](const DavReply& reply) {
        ++called;
        EXPECT_TRUE(reply.Ok()) << reply.error.toStdString();
        delete client;
        client = nullptr;
        loop.quit();
    };
    client->Propfind(server.AddressBookUrl(), 1, carddav::body::Propfind(), deleting);
    client->Propfind(server.AddressBookUrl(), 1, carddav::body::Propfind(), deleting);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    // The other request went with the client.
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(called, 1);
    EXPECT_EQ(client, nullptr);
    delete client;
}

TEST(FaultyServer, TheTimeOutCountsTheWholeAnswerNotTheGapsBetweenBytes) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("trickle"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    client.SetTimeout(2000);
    QElapsedTimer clock;
    clock.start();
    const DavReply reply = PropfindAt(client, server.AddressBookUrl());
    EXPECT_EQ(reply.error, QStringLiteral("The server did not answer in 2 seconds."));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LT(clock.elapsed(), 6000);
}

namespace {

// What the echoing server saw of a request: its first line, its headers, its body.
struct Seen {
    QString line;
    QMap<QString, QString> headers;
    QByteArray body;
};

Seen Parse(const QByteArray& echoed) {
    Seen seen;
    const qsizetype end = echoed.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = echoed.left(end).split('\n');
    seen.line = QString::fromUtf8(lines.value(0)).trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            seen.headers[QString::fromUtf8(lines[i].left(colon)).toLower()] =
                QString::fromUtf8(lines[i].mid(colon + 1)).trimmed();
        }
    }
    seen.body = end < 0 ? QByteArray() : echoed.mid(end + 4);
    return seen;
}

}  // namespace

TEST(FaultyServer, RequestsCarryTheirDepthTypeAndPreconditions) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("echo"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    const QUrl echo = server.BaseUrl().resolved(QUrl(QStringLiteral("/echo/a.vcf")));
    const QString xml = QStringLiteral("application/xml; charset=utf-8");

    const QByteArray body = carddav::body::Propfind();
    const Seen propfind = Parse(
        Await([&](DavClient::Done done) { client.Send("PROPFIND", echo, body, {}, done); }).body);
    EXPECT_EQ(propfind.line, QStringLiteral("PROPFIND /echo/a.vcf"));
    EXPECT_EQ(propfind.headers.value(QStringLiteral("depth")), QStringLiteral("0"))
        << "a Depth even where the caller gave none";
    EXPECT_EQ(propfind.headers.value(QStringLiteral("content-type")), xml);
    EXPECT_EQ(propfind.body, body);
    EXPECT_EQ(propfind.headers.value(QStringLiteral("accept-encoding")), QStringLiteral("identity"))
        << "an answer from this machine is not packed";

    const Seen report = Parse(Await([&](DavClient::Done done) {
                                  client.Report(echo, 1, carddav::body::Multiget({echo}), done);
                              }).body);
    EXPECT_EQ(report.headers.value(QStringLiteral("depth")), QStringLiteral("1"));
    EXPECT_EQ(report.headers.value(QStringLiteral("content-type")), xml);

    const Seen mkcol = Parse(Await([&](DavClient::Done done) {
                                 client.Mkcol(echo, carddav::body::MakeAddressBook("A"), done);
                             }).body);
    EXPECT_EQ(mkcol.line, QStringLiteral("MKCOL /echo/a.vcf"));
    EXPECT_EQ(mkcol.headers.value(QStringLiteral("content-type")), xml);

    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\xc3\xab\r\nEND:VCARD\r\n";
    const Seen created =
        Parse(Await([&](DavClient::Done done) { client.Put(echo, card, {}, done); }).body);
    EXPECT_EQ(created.headers.value(QStringLiteral("if-none-match")), QStringLiteral("*"));
    EXPECT_FALSE(created.headers.contains(QStringLiteral("if-match")));
    EXPECT_EQ(created.headers.value(QStringLiteral("content-type")),
              QStringLiteral("text/vcard; charset=utf-8"));
    EXPECT_EQ(created.body, card);
    const Seen changed = Parse(Await([&](DavClient::Done done) {
                                   client.Put(echo, card, QStringLiteral("\"7\""), done);
                               }).body);
    EXPECT_EQ(changed.headers.value(QStringLiteral("if-match")), QStringLiteral("\"7\""));
    EXPECT_FALSE(changed.headers.contains(QStringLiteral("if-none-match")));
    const Seen deleted = Parse(Await([&](DavClient::Done done) {
                                   client.Delete(echo, QStringLiteral("\"8\""), done);
                               }).body);
    EXPECT_EQ(deleted.line, QStringLiteral("DELETE /echo/a.vcf"));
    EXPECT_EQ(deleted.headers.value(QStringLiteral("if-match")), QStringLiteral("\"8\""));
}

TEST(FaultyServer, ARedirectedReportIsSentAgainAsItWas) {
    CardDavServer server(Kind::Faulty, {}, QStringLiteral("echo"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    const QUrl moved = server.BaseUrl().resolved(QUrl(QStringLiteral("/redirect/book/")));
    const QByteArray body = carddav::body::SyncCollection(QStringLiteral("token-1"), true);
    const DavReply reply = Await([&](DavClient::Done done) {
        client.Send("REPORT", moved, body, {{"Depth", "1"}, {"X-Marker", "kept"}}, done);
    });
    ASSERT_TRUE(reply.Ok()) << reply.error.toStdString();
    // The first address and the one it sent to.
    EXPECT_EQ(client.RequestsSent(), 2);
    EXPECT_EQ(reply.url, server.BaseUrl().resolved(QUrl(QStringLiteral("/echo/book/"))));
    const Seen seen = Parse(reply.body);
    EXPECT_EQ(seen.line, QStringLiteral("REPORT /echo/book/"));
    EXPECT_EQ(seen.headers.value(QStringLiteral("depth")), QStringLiteral("1"));
    EXPECT_EQ(seen.headers.value(QStringLiteral("x-marker")), QStringLiteral("kept"));
    EXPECT_EQ(seen.headers.value(QStringLiteral("content-type")),
              QStringLiteral("application/xml; charset=utf-8"));
    EXPECT_EQ(seen.body, body);
    // A PUT is not sent on: the redirect is the answer.
    const DavReply put = Await([&](DavClient::Done done) {
        client.Put(moved.resolved(QUrl(QStringLiteral("a.vcf"))), "BEGIN:VCARD", {}, done);
    });
    EXPECT_EQ(put.status, 301);
    EXPECT_FALSE(put.Ok());
    EXPECT_EQ(client.RequestsSent(), 3);
    EXPECT_EQ(put.location, server.BaseUrl().resolved(QUrl(QStringLiteral("/echo/book/a.vcf"))));
}
