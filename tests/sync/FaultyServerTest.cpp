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
    EXPECT_GT(whole.body.size(), 20 << 20);
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
