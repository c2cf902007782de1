// The requests and the discovery against Radicale and Xandikos, each started for the test.

#include <gtest/gtest.h>

#include <memory>

#include "CardDavServer.h"
#include "SyncTestSupport.h"

using carddav::DavClient;
using carddav::DavReply;

namespace {

using Kind = CardDavServer::Kind;

QByteArray Card(const QString& uid, const QString& name) {
    return QStringLiteral(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\nEND:VCARD\r\n")
        .arg(uid, name)
        .toUtf8();
}

class DavServers : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        server_ = std::make_unique<CardDavServer>(GetParam());
        ASSERT_TRUE(server_->Ok()) << server_->Failure().toStdString();
        client_.SetCredentials(server_->User(), server_->Password());
        client_.SetTimeout(10000);
    }

    QUrl At(const QString& path) const { return server_->BaseUrl().resolved(QUrl(path)); }
    QUrl Book() const { return server_->AddressBookUrl(); }

    DavReply Put(const QUrl& url, const QByteArray& card, const QString& ifMatch = {}) {
        return Await([&](DavClient::Done done) { client_.Put(url, card, ifMatch, done); });
    }
    DavReply Report(const QUrl& url, const QByteArray& body) {
        return Await([&](DavClient::Done done) { client_.Report(url, 1, body, done); });
    }

    std::unique_ptr<CardDavServer> server_;
    DavClient client_;
};

std::string Name(const ::testing::TestParamInfo<Kind>& info) {
    return info.param == Kind::Radicale ? "Radicale" : "Xandikos";
}

}  // namespace

TEST_P(DavServers, DiscoversTheAddressBooksFromTheBareServerAddress) {
    const carddav::DiscoveryResult found = AwaitDiscovery(client_, server_->BaseUrl().toString());
    ASSERT_TRUE(found.Ok()) << found.error.toStdString();
    EXPECT_EQ(found.principal, At(QStringLiteral("/user/")));
    EXPECT_EQ(found.home, GetParam() == Kind::Radicale ? At(QStringLiteral("/user/"))
                                                       : At(QStringLiteral("/user/contacts/")));
    ASSERT_EQ(found.addressBooks.size(), 1u);
    EXPECT_EQ(found.addressBooks[0].url, Book());
    EXPECT_EQ(found.addressBooks[0].displayName, GetParam() == Kind::Radicale
                                                     ? QStringLiteral("Contacts")
                                                     : QStringLiteral("addressbook"));
    // Neither of the two offers 4.0 in supported-address-data.
    EXPECT_FALSE(found.addressBooks[0].vcard4);

    // The principal or the home typed in: the same address book.
    for (const QUrl& typed : {found.principal, found.home}) {
        const carddav::DiscoveryResult again = AwaitDiscovery(client_, typed.toString());
        ASSERT_TRUE(again.Ok()) << again.error.toStdString();
        ASSERT_EQ(again.addressBooks.size(), 1u) << typed.toString().toStdString();
        EXPECT_EQ(again.addressBooks[0].url, Book());
    }
    // The address book itself: it alone.
    const carddav::DiscoveryResult itself = AwaitDiscovery(client_, Book().toString());
    ASSERT_TRUE(itself.Ok()) << itself.error.toStdString();
    ASSERT_EQ(itself.addressBooks.size(), 1u);
    EXPECT_EQ(itself.addressBooks[0].url, Book());
}

TEST_P(DavServers, TheWellKnownAddressIsFollowedWithTheSameRequest) {
    const QUrl wellKnown = At(QStringLiteral("/.well-known/carddav"));
    const DavReply reply = Await([&](DavClient::Done done) {
        client_.Propfind(wellKnown, 0, carddav::body::Propfind(), done);
    });
    ASSERT_TRUE(reply.Ok()) << reply.error.toStdString();
    EXPECT_EQ(reply.status, 207) << "a PROPFIND answer, not the page a GET would have given";
    EXPECT_NE(reply.url, wellKnown) << "both servers redirect it";
    ASSERT_FALSE(reply.responses.empty());
    EXPECT_EQ(reply.responses[0].principal, At(QStringLiteral("/user/")));
    // A request that is no PROPFIND or REPORT is not sent on.
    const DavReply get = Await([&](DavClient::Done done) { client_.Get(wellKnown, done); });
    EXPECT_FALSE(get.Ok());
    EXPECT_GE(get.status, 301);
    EXPECT_LE(get.status, 308);
    EXPECT_EQ(get.location, At(QStringLiteral("/")));
}

TEST_P(DavServers, CreatesAnAddressBookInTheHomeSet) {
    const carddav::DiscoveryResult found = AwaitDiscovery(client_, server_->BaseUrl().toString());
    ASSERT_TRUE(found.Ok()) << found.error.toStdString();
    QString error = QStringLiteral("(not called)");
    carddav::AddressBookInfo made;
    QEventLoop loop;
    carddav::CreateAddressBook(client_, found.home, QStringLiteral("Verein M\u00fcller & Co 2"),
                               [&](QString e, carddav::AddressBookInfo info) {
                                   error = e;
                                   made = info;
                                   loop.quit();
                               });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(made.url, found.home.resolved(QUrl(QStringLiteral("verein-muller-co-2/"))));
    EXPECT_EQ(made.displayName, QStringLiteral("Verein M\u00fcller & Co 2"));

    const carddav::DiscoveryResult after = AwaitDiscovery(client_, server_->BaseUrl().toString());
    ASSERT_TRUE(after.Ok()) << after.error.toStdString();
    ASSERT_EQ(after.addressBooks.size(), 2u);
    bool seen = false;
    for (const auto& book : after.addressBooks) {
        if (book.url == made.url) {
            seen = true;
            EXPECT_EQ(book.displayName, QStringLiteral("Verein M\u00fcller & Co 2"));
        }
    }
    EXPECT_TRUE(seen);

    // The same name again: the place is taken.
    QString second;
    carddav::CreateAddressBook(client_, found.home, QStringLiteral("Verein M\u00fcller & Co 2"),
                               [&](QString e, carddav::AddressBookInfo) {
                                   second = e.isEmpty() ? QStringLiteral("(made again)") : e;
                                   loop.quit();
                               });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(second, QStringLiteral("(made again)"));
}

TEST_P(DavServers, WritesCardsOnlyWhenTheirPreconditionsHold) {
    const QUrl url = Book().resolved(QUrl(QStringLiteral("ann.vcf")));
    const DavReply made = Put(url, Card(QStringLiteral("ann"), QStringLiteral("Ann")));
    ASSERT_TRUE(made.Ok()) << made.error.toStdString();
    EXPECT_EQ(made.status, 201);
    ASSERT_FALSE(made.etag.isEmpty());
    EXPECT_TRUE(made.etag.startsWith(QLatin1Char('"')));

    // If-None-Match: * on a card that is there.
    const DavReply twice = Put(url, Card(QStringLiteral("ann"), QStringLiteral("Ann Again")));
    EXPECT_EQ(twice.status, 412);
    EXPECT_FALSE(twice.Ok());

    const DavReply read = Await([&](DavClient::Done done) { client_.Get(url, done); });
    ASSERT_TRUE(read.Ok()) << read.error.toStdString();
    EXPECT_TRUE(read.body.contains("FN:Ann\r\n")) << read.body.toStdString();
    EXPECT_EQ(read.etag, made.etag);

    const DavReply changed =
        Put(url, Card(QStringLiteral("ann"), QStringLiteral("Ann B")), made.etag);
    ASSERT_TRUE(changed.Ok()) << changed.error.toStdString();
    EXPECT_NE(changed.etag, made.etag);

    // The ETag of before is stale now, for a change and for a deletion.
    const DavReply stale =
        Put(url, Card(QStringLiteral("ann"), QStringLiteral("Ann C")), made.etag);
    EXPECT_EQ(stale.status, 412);
    EXPECT_EQ(stale.error.toStdString().rfind("The card was changed on the server meanwhile.", 0),
              0u)
        << stale.error.toStdString();
    const DavReply staleDelete =
        Await([&](DavClient::Done done) { client_.Delete(url, made.etag, done); });
    EXPECT_EQ(staleDelete.status, 412);
    const DavReply unchanged = Await([&](DavClient::Done done) { client_.Get(url, done); });
    EXPECT_TRUE(unchanged.body.contains("FN:Ann B\r\n")) << unchanged.body.toStdString();

    const DavReply gone =
        Await([&](DavClient::Done done) { client_.Delete(url, changed.etag, done); });
    ASSERT_TRUE(gone.Ok()) << gone.error.toStdString();
    const DavReply missing = Await([&](DavClient::Done done) { client_.Get(url, done); });
    EXPECT_EQ(missing.status, 404);
    EXPECT_FALSE(missing.Ok());
}

TEST_P(DavServers, ListsAndFetchesCardsWithTheirBytes) {
    const QByteArray jurgen = Card(QStringLiteral("j"), QStringLiteral("J\u00fcrgen & Zo\u00eb"));
    const DavReply a = Put(Book().resolved(QUrl(QStringLiteral("j.vcf"))), jurgen);
    const DavReply b = Put(Book().resolved(QUrl(QStringLiteral("k.vcf"))),
                           Card(QStringLiteral("k"), QStringLiteral("Kim")));
    ASSERT_TRUE(a.Ok() && b.Ok()) << a.error.toStdString() << b.error.toStdString();

    const DavReply listing = Await([&](DavClient::Done done) {
        client_.Propfind(Book(), 1, carddav::body::PropfindEtags(), done);
    });
    ASSERT_TRUE(listing.Ok()) << listing.error.toStdString();
    QMap<QString, QString> etags;
    for (const auto& response : listing.responses) {
        if (carddav::IsInside(response.url, Book())) {
            etags[response.url.fileName()] = response.etag;
        }
    }
    EXPECT_EQ(etags.value(QStringLiteral("j.vcf")), a.etag);
    EXPECT_EQ(etags.value(QStringLiteral("k.vcf")), b.etag);
    EXPECT_EQ(etags.size(), 2);

    const DavReply got =
        Report(Book(), carddav::body::Multiget({Book().resolved(QUrl(QStringLiteral("j.vcf"))),
                                                Book().resolved(QUrl(QStringLiteral("k.vcf")))}));
    ASSERT_TRUE(got.Ok()) << got.error.toStdString();
    ASSERT_EQ(got.responses.size(), 2u);
    for (const auto& response : got.responses) {
        EXPECT_EQ(response.status, 200);
        if (response.url.fileName() == QStringLiteral("j.vcf")) {
            EXPECT_EQ(response.addressData, jurgen);
            EXPECT_EQ(response.etag, a.etag);
        } else {
            EXPECT_TRUE(response.addressData.contains("FN:Kim\r\n"));
        }
    }
}

TEST_P(DavServers, SyncCollectionGivesWhatChangedSinceItsToken) {
    const DavReply a = Put(Book().resolved(QUrl(QStringLiteral("a.vcf"))),
                           Card(QStringLiteral("a"), QStringLiteral("Ada")));
    ASSERT_TRUE(a.Ok()) << a.error.toStdString();
    const DavReply first = Report(Book(), carddav::body::SyncCollection({}, false));
    ASSERT_TRUE(first.Ok()) << first.error.toStdString();
    ASSERT_FALSE(first.syncToken.isEmpty());
    EXPECT_FALSE(first.truncated);
    ASSERT_EQ(first.responses.size(), 1u);
    EXPECT_EQ(first.responses[0].url, Book().resolved(QUrl(QStringLiteral("a.vcf"))));
    EXPECT_EQ(first.responses[0].etag, a.etag);

    const DavReply b = Put(Book().resolved(QUrl(QStringLiteral("b.vcf"))),
                           Card(QStringLiteral("b"), QStringLiteral("Bo")));
    ASSERT_TRUE(b.Ok());
    const DavReply deleted = Await([&](DavClient::Done done) {
        client_.Delete(Book().resolved(QUrl(QStringLiteral("a.vcf"))), a.etag, done);
    });
    ASSERT_TRUE(deleted.Ok()) << deleted.error.toStdString();

    const DavReply since = Report(Book(), carddav::body::SyncCollection(first.syncToken, false));
    ASSERT_TRUE(since.Ok()) << since.error.toStdString();
    EXPECT_NE(since.syncToken, first.syncToken);
    QMap<QString, int> statuses;
    for (const auto& response : since.responses) {
        statuses[response.url.fileName()] = response.status;
    }
    EXPECT_EQ(statuses.value(QStringLiteral("a.vcf")), 404) << "the deleted member";
    EXPECT_EQ(statuses.value(QStringLiteral("b.vcf")), 200);
    EXPECT_EQ(statuses.size(), 2);

    // A token the server never gave: refused, and the status kept for the fallback.
    const DavReply invalid = Report(
        Book(),
        carddav::body::SyncCollection(QStringLiteral("http://example.com/ns/sync/1"), false));
    EXPECT_FALSE(invalid.Ok());
    EXPECT_EQ(invalid.status, GetParam() == Kind::Radicale ? 403 : 500);
    EXPECT_FALSE(invalid.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, DavServers, ::testing::Values(Kind::Radicale, Kind::Xandikos),
                         Name);

TEST(DavPasswords, AWrongPasswordIsRefusedWithTheMessageAndTheRightOneTaken) {
    CardDavServer server(Kind::Radicale, QStringLiteral("right horse"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    DavClient client;
    client.SetCredentials(server.User(), QStringLiteral("wrong horse"));
    const DavReply refused = Await([&](DavClient::Done done) {
        client.Propfind(server.AddressBookUrl(), 0, carddav::body::Propfind(), done);
    });
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.error, QStringLiteral("The server refused the user name or password."));
    const carddav::DiscoveryResult found = AwaitDiscovery(client, server.BaseUrl().toString());
    EXPECT_EQ(found.error, QStringLiteral("The server refused the user name or password."));
    EXPECT_TRUE(found.addressBooks.empty());

    DavClient none;
    const DavReply asked = Await([&](DavClient::Done done) {
        none.Propfind(server.AddressBookUrl(), 0, carddav::body::Propfind(), done);
    });
    EXPECT_EQ(asked.status, 401);
    EXPECT_FALSE(asked.Ok());

    client.SetCredentials(server.User(), QStringLiteral("right horse"));
    const carddav::DiscoveryResult right = AwaitDiscovery(client, server.BaseUrl().toString());
    ASSERT_TRUE(right.Ok()) << right.error.toStdString();
    ASSERT_EQ(right.addressBooks.size(), 1u);
    EXPECT_EQ(right.addressBooks[0].url, server.AddressBookUrl());
}
