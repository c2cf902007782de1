// What a sync reads from the book and writes to it, without a server: the local changes found,
// the state a sent change leaves, and the server's changes merged by field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AddressBook.h"
#include "Database.h"
#include "RecordEditing.h"
#include "SyncApply.h"
#include "SyncState.h"
#include "TestBook.h"

namespace {

using carddav::apply::LocalChange;
using carddav::apply::Remote;
using F = PersonRecord::Field;
using Kind = LocalChange::Kind;

constexpr char kBook[] = "http://127.0.0.1:5232/user/contacts/";

PersonRecord Fields(std::initializer_list<std::pair<F, std::string>> given) {
    PersonRecord p;
    for (const auto& [field, value] : given) {
        p[field] = value;
    }
    return p;
}

std::string Card(const std::string& uid, const std::string& family, const std::string& given,
                 const std::string& more = "") {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given +
           ";;;\r\nFN:" + given + " " + family + "\r\n" + more + "END:VCARD\r\n";
}

class SyncApply : public ::testing::Test {
protected:
    void SetUp() override {
        account_.server = "127.0.0.1";
        account_.user = "ann";
        account_.addressBook = kBook;
        cppsqlite3::Database db;
        db.Open(path_);
        carddav::state::WriteAccount(db.CreateStatement(), account_);
    }
    std::vector<LocalChange> Plan() { return carddav::apply::PlanLocal(path_, account_); }
    // Sends every planned change as the server would take it, with a new ETag each.
    void SendAll() {
        for (const LocalChange& c : Plan()) {
            if (c.kind == Kind::Delete) {
                carddav::apply::Forgotten(path_, c.person);
            } else {
                carddav::apply::Sent(path_, c, c.href, "\"e" + std::to_string(++etags_) + "\"",
                                     c.card);
            }
        }
    }
    PersonRecord Load(const RecordId& id) {
        PersonRecord p;
        EXPECT_TRUE(LoadPerson(path_, id, p)) << id;
        return p;
    }
    std::string Count(const std::string& table) {
        return TestBook::QueryText(path_, "SELECT count(*) FROM " + table);
    }
    carddav::apply::Applied Apply(const std::vector<Remote>& batch) {
        return carddav::apply::ApplyRemote(path_, batch);
    }

    TestBook book_;
    std::string path_ = book_.Create();
    carddav::state::AccountRow account_;
    int etags_ = 0;
};

TEST(SyncMerge, KeepsEachSidesChangeAndHoldsTheSameFieldChangedTwice) {
    const PersonRecord base = Fields({{F::FName, "Ann"}, {F::City, "Oslo"}, {F::Email, "a@x"}});
    PersonRecord here = base;
    here[F::City] = "Bergen";
    PersonRecord server = base;
    server[F::Email] = "ann@y";
    auto merge = carddav::apply::MergeFields(base, here, server);
    EXPECT_TRUE(merge.conflicts.empty());
    EXPECT_EQ(merge.fields[F::City], "Bergen");
    EXPECT_EQ(merge.fields[F::Email], "ann@y");
    // Both to the same value: no conflict.
    server[F::City] = "Bergen";
    EXPECT_TRUE(carddav::apply::MergeFields(base, here, server).conflicts.empty());
    // To different values: held, here's value kept.
    server[F::City] = "Trondheim";
    merge = carddav::apply::MergeFields(base, here, server);
    EXPECT_EQ(merge.conflicts, std::vector<int>{F::City});
    EXPECT_EQ(merge.fields[F::City], "Bergen");
    // Emptied on one side is a change like any other.
    PersonRecord emptied = base;
    emptied[F::Email].clear();
    EXPECT_EQ(carddav::apply::MergeFields(base, base, emptied).fields[F::Email], "");
}

TEST_F(SyncApply, NewPersonsGoAsCardsNamedByTheirIdThenNothingIsLeftToSend) {
    const RecordId id = TestBook::AddPerson(path_, "Ann", "Lee", "Acme");
    auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Create);
    EXPECT_EQ(plan[0].href, std::string(kBook) + id + ".vcf");
    EXPECT_NE(plan[0].card.find("UID:" + id), std::string::npos);
    EXPECT_NE(plan[0].card.find("ORG:Acme"), std::string::npos);
    SendAll();
    EXPECT_TRUE(Plan().empty());
    EXPECT_EQ(Count("SyncCard"), "1");
}

TEST_F(SyncApply, AnEditGoesAsTheBaseCardWithOnlyItsLineChanged) {
    const std::string extra = "BDAY:1970-01-02\r\nX-OTHER;X-P=1:kept\r\nEMAIL;TYPE=HOME:2nd@x\r\n";
    ASSERT_TRUE(Apply({{std::string(kBook) + "c1.vcf", "\"s1\"",
                        Card("c1", "Lee", "Ann", "EMAIL;TYPE=WORK:ann@x\r\n" + extra)}})
                    .errors.isEmpty());
    EXPECT_TRUE(Plan().empty());
    PersonRecord p = Load("c1");
    EXPECT_EQ(p[F::Email], "ann@x");
    p[F::City] = "Oslo";
    editing::UpdatePerson(path_, p);
    auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Update);
    EXPECT_EQ(plan[0].etag, "\"s1\"");
    EXPECT_NE(plan[0].card.find(extra), std::string::npos) << plan[0].card;
    EXPECT_NE(plan[0].card.find("Oslo"), std::string::npos);
    // Deleted here: a deletion with the ETag last agreed.
    SendAll();
    editing::DeletePerson(path_, "c1");
    plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Delete);
    EXPECT_EQ(plan[0].href, std::string(kBook) + "c1.vcf");
}

TEST_F(SyncApply, AnOldFilesWindows1252TextIsNoChange) {
    PersonRecord p = Fields({{F::FName, "J\xFCrgen"}, {F::LName, "M\xFCller"}});
    const RecordId id = TestBook::AddPerson(path_, p);
    SendAll();
    EXPECT_TRUE(Plan().empty());
    EXPECT_EQ(Load(id)[F::LName], "M\xFCller");
}

TEST_F(SyncApply, ServerChangesArriveAndTheirEchoIsIgnored) {
    const std::string href = std::string(kBook) + "c2.vcf";
    auto applied = Apply({{href, "\"1\"", Card("c2", "Lee", "Ann")}});
    EXPECT_EQ(applied.received, 1);
    EXPECT_EQ(Load("c2")[F::FName], "Ann");
    // The same ETag again: nothing.
    EXPECT_EQ(Apply({{href, "\"1\"", Card("c2", "Lee", "Ann")}}).received, 0);
    applied = Apply({{href, "\"2\"", Card("c2", "Lee", "Anna")}});
    EXPECT_EQ(applied.received, 1);
    EXPECT_EQ(Load("c2")[F::FName], "Anna");
    EXPECT_TRUE(Plan().empty());
}

TEST_F(SyncApply, BothSidesChangingDifferentFieldsKeepsBothAndSendsTheMerge) {
    const std::string href = std::string(kBook) + "c3.vcf";
    Apply({{href, "\"1\"", Card("c3", "Lee", "Ann", "EMAIL:a@x\r\n")}});
    PersonRecord p = Load("c3");
    p[F::City] = "Oslo";
    editing::UpdatePerson(path_, p);
    const auto applied = Apply({{href, "\"2\"", Card("c3", "Lee", "Ann", "EMAIL:new@x\r\n")}});
    EXPECT_EQ(applied.conflicts, 0);
    p = Load("c3");
    EXPECT_EQ(p[F::City], "Oslo");
    EXPECT_EQ(p[F::Email], "new@x");
    const auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Update);
    EXPECT_EQ(plan[0].etag, "\"2\"");
    EXPECT_NE(plan[0].card.find("new@x"), std::string::npos);
}

TEST_F(SyncApply, TheSameFieldChangedTwiceIsHeldAndNeitherSideOverwritten) {
    const std::string href = std::string(kBook) + "c4.vcf";
    Apply({{href, "\"1\"", Card("c4", "Lee", "Ann")}});
    PersonRecord p = Load("c4");
    p[F::FName] = "Annie";
    editing::UpdatePerson(path_, p);
    const auto applied = Apply({{href, "\"2\"", Card("c4", "Lee", "Anne")}});
    EXPECT_EQ(applied.conflicts, 1);
    EXPECT_EQ(Load("c4")[F::FName], "Annie");
    EXPECT_TRUE(Plan().empty());  // held: not sent
    cppsqlite3::Database db;
    db.Open(path_);
    EXPECT_EQ(carddav::state::HeldCount(db.CreateStatement()), 1);
    const auto rows = carddav::state::ReadCards(db.CreateStatement());
    EXPECT_NE(rows.at("c4").heldCard.find("Anne"), std::string::npos);
    EXPECT_EQ(rows.at("c4").etag, "\"1\"");
}

TEST_F(SyncApply, DeletionsOnTheServerAgainstTheStateHere) {
    const std::string a = std::string(kBook) + "a.vcf", b = std::string(kBook) + "b.vcf",
                      c = std::string(kBook) + "c.vcf";
    Apply({{a, "\"1\"", Card("a", "Lee", "Ann")},
           {b, "\"1\"", Card("b", "Ode", "Bo")},
           {c, "\"1\"", Card("c", "Park", "Cy")}});
    TestBook::AddContact(path_, "c", "2005-03-01 09:05:00", "Lunch");
    PersonRecord bo = Load("b");
    bo[F::City] = "Oslo";
    editing::UpdatePerson(path_, bo);
    auto applied = Apply({{a, {}, {}, true}, {b, {}, {}, true}, {c, {}, {}, true}});
    EXPECT_EQ(applied.received, 1);
    // Unchanged here and without a log: gone.
    PersonRecord gone;
    EXPECT_FALSE(LoadPerson(path_, "a", gone));
    // With a log the server never had: kept with it, the deletion held for the user.
    EXPECT_EQ(applied.conflicts, 1);
    EXPECT_EQ(Load("c")[F::FName], "Cy");
    EXPECT_EQ(Count("Contact WHERE PersonID = 'c'"), "1");
    // Changed here: kept, and sent again as a new card; the held one is not sent.
    auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Create);
    EXPECT_EQ(plan[0].person, "b");
    // Reported deleted again, the held deletion stays as it is.
    applied = Apply({{c, {}, {}, true}});
    EXPECT_EQ(applied.conflicts + applied.received, 0);
    EXPECT_EQ(Count("SyncCard WHERE PersonID = 'c' AND HeldCard IS NOT NULL"), "1");
    EXPECT_EQ(Plan().size(), 1u);
}

TEST_F(SyncApply, DeletedHereButChangedThereComesBackUnderItsId) {
    const std::string href = std::string(kBook) + "c5.vcf";
    Apply({{href, "\"1\"", Card("c5", "Lee", "Ann")}});
    editing::DeletePerson(path_, "c5");
    const auto applied = Apply({{href, "\"2\"", Card("c5", "Lee", "Anna")}});
    EXPECT_EQ(applied.received, 1);
    EXPECT_EQ(Load("c5")[F::FName], "Anna");
    EXPECT_TRUE(Plan().empty());
}

TEST_F(SyncApply, ACardSentBeforeTheStateWasWrittenIsTakenBackWithoutADuplicate) {
    const RecordId id = TestBook::AddPerson(path_, "Ann", "Lee");
    const LocalChange sent = Plan().front();
    // The sync stopped after the PUT: the listing brings the card, the UID says whose.
    Apply({{sent.href, "\"1\"", sent.card}});
    EXPECT_EQ(Count("Person"), "1");
    EXPECT_TRUE(Plan().empty());
    EXPECT_EQ(Load(id)[F::FName], "Ann");
}

TEST_F(SyncApply, BadCardsAreLeftOutAndNothingHereIsLost) {
    const RecordId id = TestBook::AddPerson(path_, "Ann", "Lee");
    SendAll();
    const auto applied = Apply({{std::string(kBook) + "bad.vcf", "\"1\"", "not a card at all"},
                                {std::string(kBook) + "group.vcf", "\"1\"",
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:g\r\nEND:VCARD\r\n"}});
    EXPECT_EQ(applied.errors.size(), 1);
    EXPECT_EQ(applied.received, 0);
    EXPECT_EQ(Count("Person"), "1");
    EXPECT_EQ(Load(id)[F::FName], "Ann");
}

TEST_F(SyncApply, ACardThatReadsOtherwiseThanSentShowsWhatItSaysUnlessEditedMeanwhile) {
    const RecordId id = TestBook::AddPerson(path_, "Ann", "Lee");
    LocalChange c = Plan().front();
    // The server keeps the card with another e-mail address.
    std::string card = c.card;
    card.insert(card.find("END:VCARD"), "EMAIL:kept@x\r\n");
    carddav::apply::Sent(path_, c, c.href, "\"1\"", card);
    EXPECT_EQ(Load(id)[F::Email], "kept@x");
    EXPECT_TRUE(Plan().empty());
    // Edited while on its way: the edit stays and goes next.
    PersonRecord p = Load(id);
    p[F::City] = "Oslo";
    editing::UpdatePerson(path_, p);
    c = Plan().front();
    PersonRecord later = Load(id);
    later[F::City] = "Bergen";
    editing::UpdatePerson(path_, later);
    carddav::apply::Sent(path_, c, c.href, "\"2\"", c.card + "");
    EXPECT_EQ(Load(id)[F::City], "Bergen");
    ASSERT_EQ(Plan().size(), 1u);
}

TEST_F(SyncApply, CardsSentTogetherAreKeptAsEachAlone) {
    // Three new persons taken by the server in one batch: one card kept as sent, one kept with
    // another e-mail address, one whose person was edited while it was on its way.
    const RecordId a = TestBook::AddPerson(path_, "Ann", "Lee");
    const RecordId b = TestBook::AddPerson(path_, "Bo", "Ode");
    const RecordId c = TestBook::AddPerson(path_, "Cy", "Pak");
    std::vector<carddav::apply::SentCard> sent;
    for (const LocalChange& change : Plan()) {
        std::string card = change.card;
        if (change.person == b) {
            card.insert(card.find("END:VCARD"), "EMAIL:kept@x\r\n");
        }
        sent.push_back({change, change.href, "\"" + change.person + "\"", card});
    }
    ASSERT_EQ(sent.size(), 3u);
    PersonRecord edited = Load(c);
    edited[F::City] = "Oslo";
    editing::UpdatePerson(path_, edited);
    carddav::apply::Sent(path_, sent);
    EXPECT_EQ(Count("SyncCard"), "3");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT ETag FROM SyncCard WHERE PersonID = '" + b + "'"),
              "\"" + b + "\"");
    EXPECT_EQ(Load(a)[F::Email], "");
    EXPECT_EQ(Load(b)[F::Email], "kept@x");
    EXPECT_EQ(Load(c)[F::City], "Oslo");
    // Only the edit made meanwhile is left to send.
    const auto left = Plan();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.front().person, c);
    EXPECT_EQ(left.front().kind, Kind::Update);
}

}  // namespace

namespace {

using carddav::apply::Held;

const Held* HeldOf(const std::vector<Held>& held, const RecordId& person) {
    for (const Held& h : held) {
        if (h.person == person) {
            return &h;
        }
    }
    return nullptr;
}

}  // namespace

TEST_F(SyncApply, AHeldConflictOfFieldsIsShownAndSettledFieldByField) {
    const std::string href = std::string(kBook) + "c5.vcf";
    Apply({{href, "\"1\"", Card("c5", "Lee", "Ann", "EMAIL:a@x\r\nORG:Acme\r\n")}});
    PersonRecord p = Load("c5");
    p[F::FName] = "Annie";
    p[F::Company] = "Here Ltd";
    editing::UpdatePerson(path_, p);
    Apply({{href, "\"2\"", Card("c5", "Lee", "Anne", "EMAIL:new@x\r\nORG:Acme\r\n")}});
    const auto held = carddav::apply::ReadHeld(path_);
    ASSERT_EQ(held.size(), 1u);
    const Held& h = held.front();
    EXPECT_FALSE(h.deletedOnServer || h.deletedHere);
    EXPECT_EQ(h.base[F::FName], "Ann");
    EXPECT_EQ(h.here[F::FName], "Annie");
    EXPECT_EQ(h.server[F::FName], "Anne");
    EXPECT_EQ(h.differing, (std::vector<int>{F::FName, F::Company, F::Email}));

    // The first name from the server, the rest as here: sent against the server's card.
    PersonRecord chosen = h.here;
    chosen[F::FName] = h.server[F::FName];
    ASSERT_TRUE(carddav::apply::Settle(path_, "c5", chosen));
    EXPECT_TRUE(carddav::apply::ReadHeld(path_).empty());
    EXPECT_EQ(Load("c5")[F::FName], "Anne");
    EXPECT_EQ(Load("c5")[F::Company], "Here Ltd");
    const auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Update);
    EXPECT_EQ(plan[0].etag, "\"2\"") << "against the card the server has now";
    EXPECT_NE(plan[0].card.find("ORG:Here Ltd"), std::string::npos);
    EXPECT_NE(plan[0].card.find("EMAIL:a@x"), std::string::npos);
    EXPECT_FALSE(carddav::apply::Settle(path_, "c5", chosen)) << "held no more";
    EXPECT_FALSE(carddav::apply::SettleByDeleting(path_, "c5"));
}

TEST_F(SyncApply, AllFromTheServerLeavesNothingToSend) {
    const std::string href = std::string(kBook) + "c6.vcf";
    Apply({{href, "\"1\"", Card("c6", "Lee", "Ann")}});
    PersonRecord p = Load("c6");
    p[F::FName] = "Annie";
    editing::UpdatePerson(path_, p);
    Apply({{href, "\"2\"", Card("c6", "Lee", "Anne")}});
    const Held h = carddav::apply::ReadHeld(path_).at(0);
    EXPECT_FALSE(carddav::apply::SettleByDeleting(path_, "c6")) << "no deletion to choose";
    ASSERT_TRUE(carddav::apply::Settle(path_, "c6", h.server));
    EXPECT_EQ(Load("c6")[F::FName], "Anne");
    EXPECT_TRUE(Plan().empty());
    // The server's next change of the card is applied as any other.
    EXPECT_EQ(Apply({{href, "\"3\"", Card("c6", "Lee", "Anna")}}).received, 1);
    EXPECT_EQ(Load("c6")[F::FName], "Anna");
}

TEST_F(SyncApply, HeldDeletionsAreSettledEitherWay) {
    const std::string c = std::string(kBook) + "c.vcf", d = std::string(kBook) + "d.vcf";
    Apply({{c, "\"1\"", Card("c", "Park", "Cy")}, {d, "\"1\"", Card("d", "Dee", "Di")}});
    TestBook::AddContact(path_, "c", "2005-03-01 09:05:00", "Lunch");
    TestBook::AddContact(path_, "d", "2005-03-02 09:05:00", "Call");
    Apply({{c, {}, {}, true}, {d, {}, {}, true}});
    auto held = carddav::apply::ReadHeld(path_);
    ASSERT_EQ(held.size(), 2u);
    ASSERT_NE(HeldOf(held, "c"), nullptr);
    EXPECT_TRUE(HeldOf(held, "c")->deletedOnServer);
    EXPECT_TRUE(HeldOf(held, "c")->differing.empty());
    EXPECT_EQ(held[0].person, "d") << "in the order of the names: Dee, Di before Park, Cy";

    // Kept: sent again as a new card, its log kept.
    ASSERT_TRUE(carddav::apply::Settle(path_, "c", HeldOf(held, "c")->here));
    auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Create);
    EXPECT_EQ(plan[0].person, "c");
    EXPECT_EQ(Count("Contact WHERE PersonID = 'c'"), "1");
    // Deleted as the server did: the log goes with the person.
    ASSERT_TRUE(carddav::apply::SettleByDeleting(path_, "d"));
    PersonRecord gone;
    EXPECT_FALSE(LoadPerson(path_, "d", gone));
    EXPECT_EQ(Count("Contact WHERE PersonID = 'd'"), "0");
    EXPECT_EQ(Count("SyncCard WHERE PersonID = 'd'"), "0");
    EXPECT_EQ(Plan().size(), 1u) << "nothing more to send for d";
}

TEST_F(SyncApply, APersonDeletedHereWhileHeldComesBackOrGoesFromTheServer) {
    const std::string e = std::string(kBook) + "e.vcf", g = std::string(kBook) + "g.vcf";
    Apply({{e, "\"1\"", Card("e", "Eck", "Em")}, {g, "\"1\"", Card("g", "Gee", "Gus")}});
    for (const char* id : {"e", "g"}) {
        PersonRecord p = Load(id);
        p[F::City] = "Here";
        editing::UpdatePerson(path_, p);
    }
    Apply({{e, "\"2\"", Card("e", "Eck", "Em", "ADR:;;;There;;;\r\n")},
           {g, "\"2\"", Card("g", "Gee", "Gus", "ADR:;;;There;;;\r\n")}});
    ASSERT_EQ(carddav::apply::ReadHeld(path_).size(), 2u);
    editing::DeletePerson(path_, "e");
    editing::DeletePerson(path_, "g");
    const auto held = carddav::apply::ReadHeld(path_);
    ASSERT_EQ(held.size(), 2u);
    EXPECT_TRUE(held[0].deletedHere && held[1].deletedHere);
    EXPECT_EQ(held[0].person, "e") << "named by the server's card: Eck, Em before Gee, Gus";
    EXPECT_TRUE(Plan().empty()) << "held: neither sent nor deleted";

    // Brought back with the server's fields: nothing to send.
    ASSERT_TRUE(carddav::apply::Settle(path_, "e", HeldOf(held, "e")->server));
    EXPECT_EQ(Load("e")[F::City], "There");
    // Deleted on the server too, against its card's ETag.
    ASSERT_TRUE(carddav::apply::SettleByDeleting(path_, "g"));
    const auto plan = Plan();
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, Kind::Delete);
    EXPECT_EQ(plan[0].person, "g");
    EXPECT_EQ(plan[0].etag, "\"2\"");
}
