// Whole syncs of books with real CardDAV servers, Radicale and Xandikos both, started for each
// test on 127.0.0.1: two books linked to the same address book stand for two devices, and
// cards written straight to the server for other programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "AddressBook.h"
#include "CardDavServer.h"
#include "Database.h"
#include "RecordEditing.h"
#include "RecordId.h"
#include "SyncApply.h"
#include "SyncCheck.h"
#include "SyncSession.h"
#include "SyncState.h"
#include "SyncTestSupport.h"
#include "TestBook.h"

namespace {

using F = PersonRecord::Field;
using Kind = CardDavServer::Kind;

using synccheck::Edit;
using synccheck::Find;
using synccheck::InStep;
using synccheck::RunSync;

// A sync, and how many requests it sent.
carddav::SyncOutcome RunSync(const std::string& path, const QString& password, int* requests) {
    return RunSync(path, password, [requests](carddav::SyncSession& session) {
        QObject::connect(&session, &carddav::SyncSession::Finished,
                         [&session, requests] { *requests = session.Client().RequestsSent(); });
    });
}

// The server's cards by href, every card's text.
std::map<std::string, std::string> ServerCards(const CardDavServer& server) {
    carddav::DavClient client;
    client.SetCredentials(server.User(), server.Password());
    const carddav::DavReply listing = Await([&](carddav::DavClient::Done done) {
        client.Propfind(server.AddressBookUrl(), 1, carddav::body::PropfindEtags(), done);
    });
    EXPECT_TRUE(listing.Ok()) << listing.error.toStdString();
    std::map<std::string, std::string> cards;
    for (const carddav::DavResponse& r : listing.responses) {
        if (!carddav::IsInside(r.url, server.AddressBookUrl())) {
            continue;
        }
        const carddav::DavReply card =
            Await([&](carddav::DavClient::Done done) { client.Get(r.url, done); });
        cards[r.url.toString().toStdString()] = card.body.toStdString();
    }
    return cards;
}

carddav::DavReply PutCard(const CardDavServer& server, const QString& name, const std::string& card,
                          const QString& ifMatch = {}) {
    carddav::DavClient client;
    client.SetCredentials(server.User(), server.Password());
    return Await([&](carddav::DavClient::Done done) {
        client.Put(server.AddressBookUrl().resolved(QUrl(name)), QByteArray::fromStdString(card),
                   ifMatch, done);
    });
}

class SyncSessionTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Ok()) << server_.Failure().toStdString();
        for (const std::string* path : {&here_, &there_}) {
            carddav::Account account;
            account.server = server_.BaseUrl().toString();
            account.user = server_.User();
            account.addressBook = server_.AddressBookUrl();
            carddav::Link(*path, account);
        }
    }
    carddav::SyncOutcome Sync(const std::string& path) {
        const carddav::SyncOutcome outcome = RunSync(path, server_.Password());
        EXPECT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
        return outcome;
    }
    std::string Names(const std::string& path) {
        return TestBook::QueryText(
            path,
            "SELECT group_concat(FName || ' ' || LName || '/' || City, ', ') FROM (SELECT "
            "* FROM Person ORDER BY LName, FName)");
    }

    CardDavServer server_{GetParam()};
    TestBook book_;
    std::string here_ = book_.Create("here.tch");
    std::string there_ = book_.Create("there.tch");
};

TEST_P(SyncSessionTest, FirstSyncsCarryEachBookToTheOther) {
    TestBook::AddPerson(here_, "Ann", "Lee", "Acme");
    TestBook::AddPerson(here_, "Bo", "Ode");
    TestBook::AddPerson(there_, "Cy", "Park");
    auto outcome = Sync(here_);
    EXPECT_EQ(outcome.sent, 2);
    EXPECT_EQ(outcome.received, 0);
    outcome = Sync(there_);
    EXPECT_EQ(outcome.sent, 1);
    EXPECT_EQ(outcome.received, 2);
    outcome = Sync(here_);
    EXPECT_EQ(outcome.received, 1);
    EXPECT_EQ(outcome.sent, 0);
    EXPECT_EQ(Names(here_), Names(there_));
    EXPECT_EQ(ServerCards(server_).size(), 3u);
    // In step: nothing either way.
    outcome = Sync(here_);
    EXPECT_EQ(outcome.sent + outcome.received + outcome.fetched, 0);
    EXPECT_EQ(outcome.Summary(), QStringLiteral("Synced: 0 sent, 0 received"));
}

TEST_P(SyncSessionTest, EditsAddsAndDeletesOnEachSideAreCarriedAcross) {
    TestBook::AddPerson(here_, "Ann", "Lee");
    TestBook::AddPerson(here_, "Bo", "Ode");
    Sync(here_);
    Sync(there_);
    Edit(here_, "Lee", F::City, "Oslo");
    TestBook::AddPerson(here_, "Cy", "Park");
    editing::DeletePerson(here_, Find(here_, "Ode").id);
    Sync(here_);
    auto outcome = Sync(there_);
    EXPECT_EQ(outcome.received, 3);
    EXPECT_EQ(Names(there_), "Ann Lee/Oslo, Cy Park/");
    // And back.
    Edit(there_, "Park", F::City, "Rome");
    TestBook::AddPerson(there_, "Di", "Quinn");
    editing::DeletePerson(there_, Find(there_, "Lee").id);
    Sync(there_);
    outcome = Sync(here_);
    EXPECT_EQ(outcome.received, 3);
    EXPECT_EQ(Names(here_), "Cy Park/Rome, Di Quinn/");
    EXPECT_EQ(ServerCards(server_).size(), 2u);
}

TEST_P(SyncSessionTest, DifferentFieldsChangedOnBothSidesAreBothKept) {
    TestBook::AddPerson(here_, "Ann", "Lee");
    Sync(here_);
    Sync(there_);
    Edit(there_, "Lee", F::City, "Oslo");
    Sync(there_);
    // Here the card's ETag is stale now: the send meets 412, fetches, merges, sends again.
    Edit(here_, "Lee", F::Email, "ann@example.com");
    auto outcome = Sync(here_);
    EXPECT_EQ(outcome.conflicts, 0);
    PersonRecord p = Find(here_, "Lee");
    EXPECT_EQ(p[F::City], "Oslo");
    EXPECT_EQ(p[F::Email], "ann@example.com");
    Sync(there_);
    p = Find(there_, "Lee");
    EXPECT_EQ(p[F::City], "Oslo");
    EXPECT_EQ(p[F::Email], "ann@example.com");
}

TEST_P(SyncSessionTest, TheSameFieldChangedOnBothSidesIsHeldAndNeitherSideChanged) {
    TestBook::AddPerson(here_, "Ann", "Lee");
    Sync(here_);
    Sync(there_);
    Edit(there_, "Lee", F::City, "Oslo");
    Sync(there_);
    Edit(here_, "Lee", F::City, "Rome");
    const auto outcome = Sync(here_);
    EXPECT_EQ(outcome.conflicts, 1);
    EXPECT_EQ(outcome.Summary(), QStringLiteral("Synced: 0 sent, 0 received, 1 conflict held"));
    EXPECT_EQ(Find(here_, "Lee")[F::City], "Rome");
    EXPECT_EQ(carddav::HeldConflicts(here_), 1);
    // The server still has the other side's value.
    Sync(there_);
    EXPECT_EQ(Find(there_, "Lee")[F::City], "Oslo");
    const auto cards = ServerCards(server_);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards.begin()->second.find("Oslo"), std::string::npos);
}

TEST_P(SyncSessionTest, AConflictSettledFieldByFieldReachesTheServerAndTheOtherSide) {
    TestBook::AddPerson(here_, "Ann", "Lee");
    Sync(here_);
    Sync(there_);
    Edit(there_, "Lee", F::City, "Oslo");
    Edit(there_, "Lee", F::Company, "There Ltd");
    Sync(there_);
    Edit(here_, "Lee", F::City, "Rome");
    Edit(here_, "Lee", F::Company, "Here Ltd");
    EXPECT_EQ(Sync(here_).conflicts, 1);
    const auto held = carddav::apply::ReadHeld(here_);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].here[F::City], "Rome");
    EXPECT_EQ(held[0].server[F::City], "Oslo");
    // The city from the server, the company from here.
    PersonRecord chosen = held[0].here;
    chosen[F::City] = held[0].server[F::City];
    ASSERT_TRUE(carddav::apply::Settle(here_, held[0].person, chosen));
    const auto outcome = Sync(here_);
    EXPECT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.sent, 1);
    EXPECT_EQ(outcome.conflicts, 0);
    Sync(there_);
    for (const std::string& book : {here_, there_}) {
        const PersonRecord p = Find(book, "Lee");
        EXPECT_EQ(p[F::City], "Oslo") << book;
        EXPECT_EQ(p[F::Company], "Here Ltd") << book;
    }
    EXPECT_TRUE(InStep(here_, server_));
}

TEST_P(SyncSessionTest, DeletedOnOneSideAndEditedOnTheOther) {
    TestBook::AddPerson(here_, "Ann", "Lee");
    TestBook::AddPerson(here_, "Bo", "Ode");
    Sync(here_);
    Sync(there_);
    // Ann: deleted here, edited there. Bo: edited here, deleted there.
    Edit(there_, "Lee", F::City, "Oslo");
    editing::DeletePerson(there_, Find(there_, "Ode").id);
    Sync(there_);
    editing::DeletePerson(here_, Find(here_, "Lee").id);
    Edit(here_, "Ode", F::City, "Rome");
    Sync(here_);
    Sync(there_);
    EXPECT_EQ(Names(here_), "Ann Lee/Oslo, Bo Ode/Rome");
    EXPECT_EQ(Names(there_), Names(here_));
    EXPECT_EQ(ServerCards(server_).size(), 2u);
}

// The card's content lines unfolded (the writer folds at 75 bytes, as vCard asks), but those of
// one property, in their order.
std::string Unfolded(std::string card) {
    for (size_t at; (at = card.find("\r\n ")) != std::string::npos;) {
        card.erase(at, 3);
    }
    return card;
}

std::vector<std::string> LinesBut(const std::string& folded, const std::string& property) {
    const std::string card = Unfolded(folded);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < card.size()) {
        const size_t end = card.find("\r\n", at);
        const std::string line = card.substr(at, end == std::string::npos ? end : end - at);
        if (line.rfind(property, 0) != 0) {
            lines.push_back(line);
        }
        at = end == std::string::npos ? card.size() : end + 2;
    }
    return lines;
}

TEST_P(SyncSessionTest, PropertiesTheProgramDoesNotEditGoBackByteForByte) {
    const std::string extras =
        "BDAY:1970-01-02\r\nNICKNAME:Annie\r\nNOTE:Met at the fair\\, 2019\r\n"
        "EMAIL;TYPE=HOME:home@example.com\r\nTEL;TYPE=CELL:+47 555 0100\r\n"
        "item1.X-ABLabel:Other\r\nitem1.TEL:+47 555 0199\r\nCATEGORIES:friends,fair\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/"
        "2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsL\r\n"
        "X-PHONE-APP-FLAG;X-P=1:kept\r\n";
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ext-1\r\nN:Lee;Ann;;;\r\n"
        "FN:Ann Lee\r\nEMAIL;TYPE=WORK:ann@example.com\r\n" +
        extras + "END:VCARD\r\n";
    ASSERT_TRUE(PutCard(server_, QStringLiteral("ext-1.vcf"), card).Ok());
    // As the server keeps it (Radicale writes every card anew in an order of its own).
    const std::string before = ServerCards(server_).begin()->second;
    Sync(here_);
    EXPECT_EQ(Find(here_, "Lee")[F::Email], "ann@example.com");
    Edit(here_, "Lee", F::City, "Oslo");
    EXPECT_EQ(Sync(here_).sent, 1);
    const auto cards = ServerCards(server_);
    ASSERT_EQ(cards.size(), 1u);
    const std::string& after = cards.begin()->second;
    EXPECT_EQ(LinesBut(after, "ADR"), LinesBut(before, "ADR")) << after;
    EXPECT_NE(after.find("ADR:;;;Oslo;;;"), std::string::npos) << after;
    if (GetParam() == Kind::Xandikos) {
        // Kept as given: the lines of the card as written here.
        EXPECT_NE(Unfolded(after).find(extras), std::string::npos) << after;
    }
}

TEST(SyncSessionCards, A21CardIsEditedAndSentBackAs30WithEveryPropertyKept) {
    // Xandikos keeps a card as it is given, 2.1 included.
    CardDavServer server(Kind::Xandikos);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:old-1\r\nN:M=FCller;J=FCrgen\r\n"
        "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:J=FCrgen M=FCller\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
        "TEL;WORK;VOICE:+49 30 1234567\r\nTEL;CELL:+49 170 7654321\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:first line=0D=0Asecond line\r\n"
        "X-SONY-FLAG:1\r\nEND:VCARD\r\n";
    ASSERT_TRUE(PutCard(server, QStringLiteral("old-1.vcf"), card).Ok());
    TestBook book;
    const std::string path = book.Create();
    carddav::Account account;
    account.server = server.BaseUrl().toString();
    account.user = server.User();
    account.addressBook = server.AddressBookUrl();
    carddav::Link(path, account);
    ASSERT_TRUE(RunSync(path).Ok());
    const std::string id = TestBook::QueryText(path, "SELECT ID FROM Person");
    PersonRecord p;
    ASSERT_TRUE(LoadPerson(path, id, p));
    EXPECT_EQ(p[F::WkPhone], "+49 30 1234567");
    p[F::City] = "Berlin";
    editing::UpdatePerson(path, p);
    const auto outcome = RunSync(path);
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.sent, 1);
    const auto cards = ServerCards(server);
    ASSERT_EQ(cards.size(), 1u);
    const std::string& after = cards.begin()->second;
    EXPECT_NE(after.find("VERSION:3.0"), std::string::npos) << after;
    EXPECT_EQ(after.find("QUOTED-PRINTABLE"), std::string::npos) << after;
    EXPECT_NE(after.find("M\xC3\xBCller"), std::string::npos) << after;
    EXPECT_NE(after.find("X-SONY-FLAG:1"), std::string::npos) << after;
    EXPECT_NE(after.find("second line"), std::string::npos) << after;
    EXPECT_NE(after.find("+49 170 7654321"), std::string::npos) << after;
    EXPECT_NE(after.find("Berlin"), std::string::npos) << after;
    EXPECT_NE(after.find("UID:old-1"), std::string::npos) << after;
    // Read back, the card gives the same person.
    ASSERT_TRUE(RunSync(path).Ok());
    PersonRecord again;
    ASSERT_TRUE(LoadPerson(path, id, again));
    EXPECT_EQ(again.fields, p.fields);
}

TEST_P(SyncSessionTest, ARefusedTokenListsAgainWithoutFetchingUnchangedCards) {
    for (int i = 0; i < 5; ++i) {
        TestBook::AddPerson(here_, "P" + std::to_string(i), "Lee" + std::to_string(i));
    }
    Sync(here_);
    Sync(there_);
    Edit(there_, "Lee3", F::City, "Oslo");
    Sync(there_);
    TestBook::Execute(here_,
                      "UPDATE SyncAccount SET SyncToken = 'http://radicale.org/ns/sync/"
                      "0000000000000000000000000000000000000000000000000000000000000000'");
    const auto outcome = Sync(here_);
    EXPECT_EQ(outcome.fetched, 1);
    EXPECT_EQ(outcome.received, 1);
    EXPECT_EQ(Find(here_, "Lee3")[F::City], "Oslo");
    // A good token again afterwards.
    EXPECT_EQ(Sync(here_).fetched, 0);
}

TEST_P(SyncSessionTest, ASyncInStepAsksOnceAndOneEditTwice) {
    for (int i = 0; i < 3; ++i) {
        TestBook::AddPerson(here_, "P" + std::to_string(i), "Lee" + std::to_string(i));
    }
    int requests = 0;
    RunSync(here_, server_.Password(), &requests);
    // Three PUTs and the first listing.
    EXPECT_EQ(requests, 4);
    // In step: the changes since the token, nothing else.
    auto outcome = RunSync(here_, server_.Password(), &requests);
    EXPECT_EQ(outcome.sent + outcome.received + outcome.fetched, 0);
    EXPECT_EQ(requests, 1);
    // One edit: its PUT, then the changes since the token, which name only our own card.
    Edit(here_, "Lee1", F::City, "Oslo");
    outcome = RunSync(here_, server_.Password(), &requests);
    EXPECT_EQ(outcome.sent, 1);
    EXPECT_EQ(outcome.fetched, 0);
    EXPECT_EQ(requests, 2);
    outcome = RunSync(there_, server_.Password(), &requests);
    EXPECT_EQ(outcome.received, 3);
    // Radicale gives every card in the one answer; Xandikos lists them for one multiget.
    EXPECT_EQ(requests, GetParam() == Kind::Radicale ? 1 : 2);
    EXPECT_EQ(Find(there_, "Lee1")[F::City], "Oslo");
}

TEST_P(SyncSessionTest, ACardOfAnotherProgramWithoutTheProgramsIdArrivesOnce) {
    ASSERT_TRUE(PutCard(server_, QStringLiteral("phone-card.vcf"),
                        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:urn:uuid:5f1c2d3e-aaaa-bbbb\r\n"
                        "N:Quinn;Di;;;\r\nFN:Di Quinn\r\nTEL;TYPE=WORK:555 0101\r\nEND:VCARD\r\n")
                    .Ok());
    EXPECT_EQ(Sync(here_).received, 1);
    EXPECT_EQ(Sync(here_).received, 0);
    EXPECT_EQ(TestBook::QueryText(here_, "SELECT count(*) FROM Person"), "1");
    EXPECT_EQ(Find(here_, "Quinn")[F::WkPhone], "555 0101");
    // Edited here, it goes back to the address it came from.
    Edit(here_, "Quinn", F::City, "Oslo");
    Sync(here_);
    const auto cards = ServerCards(server_);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_NE(cards.begin()->first.find("phone-card.vcf"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncSessionTest,
                         ::testing::Values(Kind::Radicale, Kind::Xandikos), [](const auto& info) {
                             return info.param == Kind::Radicale ? std::string("Radicale")
                                                                 : std::string("Xandikos");
                         });

TEST(SyncSessionAuth, AWrongPasswordSaysSoAndChangesNothing) {
    CardDavServer server(Kind::Radicale, QStringLiteral("right"));
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    TestBook book;
    const std::string path = book.Create();
    TestBook::AddPerson(path, "Ann", "Lee");
    carddav::Account account;
    account.server = server.BaseUrl().toString();
    account.user = server.User();
    account.addressBook = server.AddressBookUrl();
    carddav::Link(path, account);
    const auto outcome = RunSync(path, QStringLiteral("wrong"));
    EXPECT_FALSE(outcome.Ok());
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("password"))) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.passwordRefused);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM SyncCard"), "0");
    EXPECT_EQ(TestBook::QueryText(path, "SELECT count(*) FROM Person"), "1");
    EXPECT_EQ(RunSync(path, QStringLiteral("right")).sent, 1);
}

}  // namespace

namespace {

// A first sync whose answer is longer than the client reads in one turn of the event loop, and
// whose cards fill more than one transaction: every card arrives once, in step, with progress
// counted up to the whole.
TEST(SyncSessionLongAnswerTest, ALongAnswerReadOverManyTurnsBringsEveryCard) {
    CardDavServer server(Kind::Radicale);
    ASSERT_TRUE(server.Ok()) << server.Failure().toStdString();
    const QString folder = server.AddressBookFolder();
    constexpr int kCards = 640;
    for (int n = 0; n < kCards; ++n) {
        QFile file(QStringLiteral("%1/long-%2.vcf").arg(folder).arg(n));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray note(2000 + n, static_cast<char>('a' + n % 26));
        file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:long-" + QByteArray::number(n) +
                   "\r\nFN:Person " + QByteArray::number(n) + "\r\nN:Person" +
                   QByteArray::number(n) + ";Ann;;;\r\nNOTE:" + note + "\r\nEND:VCARD\r\n");
    }
    TestBook book;
    const std::string path = book.Create();
    synccheck::LinkTo(path, server);
    std::vector<int> progress;
    const carddav::SyncOutcome outcome =
        RunSync(path, server.Password(), [&](carddav::SyncSession& session) {
            QObject::connect(&session, &carddav::SyncSession::Progress, [&](int done, int total) {
                if (total == kCards) {
                    progress.push_back(done);
                }
            });
        });
    ASSERT_TRUE(outcome.Ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.received, kCards);
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(*) FROM Person"), std::to_string(kCards));
    EXPECT_EQ(TestBook::QueryText(path, "SELECT COUNT(DISTINCT Href) FROM SyncCard"),
              std::to_string(kCards));
    EXPECT_TRUE(InStep(path, server));
    // Applied a part at a time, each part counted.
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), kCards);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

}  // namespace
