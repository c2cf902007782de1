#include "SyncCheck.h"

#include <set>
#include <unordered_map>

#include <QEventLoop>
#include <QTimer>

#include "AddressBook.h"
#include "CardDavServer.h"
#include "Database.h"
#include "RecordEditing.h"
#include "RecordId.h"
#include "SyncState.h"
#include "SyncTestSupport.h"
#include "TestBook.h"
#include "Transaction.h"
#include "VCardSync.h"

namespace synccheck {

using F = PersonRecord::Field;

carddav::SyncOutcome RunSync(const std::string& path, const QString& password,
                             const std::function<void(carddav::SyncSession&)>& prepare) {
    carddav::SyncSession session(path, password);
    if (prepare) {
        prepare(session);
    }
    carddav::SyncOutcome outcome;
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&session, &carddav::SyncSession::Finished, [&](const carddav::SyncOutcome& o) {
        outcome = o;
        finished = true;
        loop.quit();
    });
    session.Start();
    if (!finished) {
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!finished) {
        outcome.error = QStringLiteral("(the test gave up waiting)");
    }
    return outcome;
}

void LinkTo(const std::string& path, const CardDavServer& server) {
    carddav::Account account;
    account.server = server.BaseUrl().toString();
    account.user = server.User();
    account.addressBook = server.AddressBookUrl();
    carddav::Link(path, account);
}

std::map<std::string, ServerCard> Cards(const CardDavServer& server) {
    carddav::DavClient client;
    client.SetCredentials(server.User(), server.Password());
    // A server of the test on https: its own certificate.
    client.SetTrustedCertificate(carddav::CertificateSha256(server.CertificateDer()));
    const carddav::DavReply listing = Await([&](carddav::DavClient::Done done) {
        client.Propfind(server.AddressBookUrl(), 1, carddav::body::PropfindEtags(), done);
    });
    EXPECT_TRUE(listing.Ok()) << listing.error.toStdString();
    std::vector<QUrl> hrefs;
    for (const carddav::DavResponse& r : listing.responses) {
        if (carddav::IsInside(r.url, server.AddressBookUrl())) {
            hrefs.push_back(r.url);
        }
    }
    std::map<std::string, ServerCard> cards;
    for (size_t from = 0; from < hrefs.size(); from += 200) {
        const std::vector<QUrl> batch(
            hrefs.begin() + static_cast<std::ptrdiff_t>(from),
            hrefs.begin() + static_cast<std::ptrdiff_t>(std::min(hrefs.size(), from + 200)));
        const carddav::DavReply got = Await([&](carddav::DavClient::Done done) {
            client.Report(server.AddressBookUrl(), 1, carddav::body::Multiget(batch), done);
        });
        EXPECT_TRUE(got.Ok()) << got.error.toStdString();
        for (const carddav::DavResponse& r : got.responses) {
            if (r.status < 300 && !r.addressData.isEmpty()) {
                cards[r.url.toString().toStdString()] = {r.etag.toStdString(),
                                                         r.addressData.toStdString()};
            }
        }
    }
    return cards;
}

PersonRecord Someone(int n) {
    const std::string i = std::to_string(n);
    PersonRecord p;
    p[F::Title] = n % 3 == 0 ? "Dr." : "";
    p[F::FName] = "Given" + i;
    p[F::LName] = "Family" + i;
    p[F::Company] = "Firm " + std::to_string(n % 17);
    p[F::Position] = n % 2 ? "Engineer" : "";
    p[F::Addr] = std::to_string(n) + " Harbour Road";
    p[F::City] = n % 5 ? "Bergen" : "Troms\xC3\xB8";
    p[F::State] = "Vestland";
    p[F::Zip] = std::to_string(5000 + n);
    p[F::HmPhone] = "+47 55 00 " + i;
    p[F::WkPhone] = "+47 55 10 " + i;
    p[F::WkExt] = n % 4 ? "" : "12";
    p[F::CelPhone] = "+47 900 " + i;
    p[F::WkFax] = n % 6 ? "" : "+47 55 20 " + i;
    p[F::Email] = "person" + i + "@example.com";
    p[F::WebPage] = n % 2 ? "https://example.com/" + i : "";
    return p;
}

void AddMany(const std::string& path, int from, int count) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    for (int n = from; n < from + count; ++n) {
        st.Execute(editing::InsertPersonSql(NewRecordId(), Someone(n)));
    }
    transaction.Commit();
}

PersonRecord Find(const std::string& path, const std::string& last) {
    const std::string id = TestBook::QueryText(
        path, "SELECT ID FROM Person WHERE LName = '" + QuoteSqlText(last) + "'");
    PersonRecord p;
    EXPECT_TRUE(LoadPerson(path, id, p)) << last;
    return p;
}

void Edit(const std::string& path, const std::string& last, F field, const std::string& value) {
    PersonRecord p = Find(path, last);
    p[field] = value;
    editing::UpdatePerson(path, p);
}

namespace {

carddav::DavReply Request(
    const CardDavServer& server,
    const std::function<void(carddav::DavClient&, carddav::DavClient::Done)>& start) {
    carddav::DavClient client;
    client.SetCredentials(server.User(), server.Password());
    // A server of the test on https: its own certificate.
    client.SetTrustedCertificate(carddav::CertificateSha256(server.CertificateDer()));
    return Await([&](carddav::DavClient::Done done) { start(client, done); });
}

}  // namespace

bool EditOnServer(const CardDavServer& server, const std::string& href, F field,
                  const std::string& value) {
    const QUrl url(QString::fromStdString(href));
    const carddav::DavReply got = Request(
        server, [&](carddav::DavClient& c, carddav::DavClient::Done done) { c.Get(url, done); });
    transfer::vcard::CardFields card;
    if (!got.Ok() || !transfer::vcard::ReadCardFields(got.body.toStdString(), card)) {
        ADD_FAILURE() << href << ": " << got.error.toStdString();
        return false;
    }
    card.person[field] = value;
    const std::string text =
        transfer::vcard::CardToSend(got.body.toStdString(), card.person, false);
    const carddav::DavReply put =
        Request(server, [&](carddav::DavClient& c, carddav::DavClient::Done done) {
            c.Put(url, QByteArray::fromStdString(text), got.etag, done);
        });
    EXPECT_TRUE(put.Ok()) << href << ": " << put.error.toStdString();
    return put.Ok();
}

bool PutOnServer(const CardDavServer& server, const std::string& name, const std::string& card) {
    const carddav::DavReply put =
        Request(server, [&](carddav::DavClient& c, carddav::DavClient::Done done) {
            c.Put(server.AddressBookUrl().resolved(QUrl(QString::fromStdString(name))),
                  QByteArray::fromStdString(card), {}, done);
        });
    EXPECT_TRUE(put.Ok()) << name << ": " << put.error.toStdString();
    return put.Ok();
}

bool DeleteOnServer(const CardDavServer& server, const std::string& href) {
    const carddav::DavReply gone =
        Request(server, [&](carddav::DavClient& c, carddav::DavClient::Done done) {
            c.Delete(QUrl(QString::fromStdString(href)), {}, done);
        });
    EXPECT_TRUE(gone.Ok()) << href << ": " << gone.error.toStdString();
    return gone.Ok();
}

::testing::AssertionResult InStep(const std::string& path, const CardDavServer& server) {
    std::unordered_map<RecordId, PersonRecord> persons;
    std::unordered_map<RecordId, carddav::state::CardRow> rows;
    {
        cppsqlite3::Database db;
        db.Open(path);
        cppsqlite3::Statement& st = db.CreateStatement();
        cppsqlite3::Query& q = st.ExecuteQuery("SELECT * FROM Person");
        while (q.Next()) {
            PersonRecord p = ReadPersonRow(q);
            RecordId id = p.id;
            persons.emplace(std::move(id), carddav::state::AsUtf8(p));
        }
        st.CloseQuery();
        rows = carddav::state::ReadCards(st);
    }
    const auto cards = Cards(server);
    std::string wrong;
    int faults = 0;
    const auto fault = [&](const std::string& what) {
        if (++faults <= 10) {
            wrong += "\n  " + what;
        }
    };
    if (cards.size() != persons.size()) {
        fault(std::to_string(persons.size()) + " persons but " + std::to_string(cards.size()) +
              " cards");
    }
    std::set<std::string> uids, named;
    for (const auto& [href, card] : cards) {
        transfer::vcard::CardFields read;
        if (!transfer::vcard::ReadCardFields(card.text, read)) {
            fault("unreadable card " + href);
        } else if (!uids.insert(read.uid).second) {
            fault("UID " + read.uid + " twice (again at " + href + ")");
        }
    }
    for (const auto& [id, person] : persons) {
        const auto row = rows.find(id);
        if (row == rows.end()) {
            fault(person.DisplayName() + " has no state");
            continue;
        }
        if (row->second.held) {
            fault(person.DisplayName() + " is held");
        }
        named.insert(row->second.href);
        const auto card = cards.find(row->second.href);
        if (card == cards.end()) {
            fault(person.DisplayName() + " has no card at " + row->second.href);
            continue;
        }
        transfer::vcard::CardFields read;
        transfer::vcard::ReadCardFields(card->second.text, read);
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            if (read.person.fields[f] != person.fields[f]) {
                fault(person.DisplayName() + ": " + PersonRecord::ColumnName(F(f)) + " is \"" +
                      person.fields[f] + "\" here, \"" + read.person.fields[f] +
                      "\" on the server");
            }
        }
        if (card->second.etag != row->second.etag) {
            fault(person.DisplayName() + ": ETag " + row->second.etag + " here, " +
                  card->second.etag + " on the server");
        }
    }
    for (const auto& [href, card] : cards) {
        if (!named.count(href)) {
            fault("no person for the card at " + href);
        }
    }
    if (faults == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << faults << " differences between the book and the server:" << wrong;
}

}  // namespace synccheck
