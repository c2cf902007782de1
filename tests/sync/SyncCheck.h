#pragma once

#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "PersonRecord.h"
#include "SyncSession.h"

class CardDavServer;

// What the tests of faults and of other clients check after a sync: the book and the server's
// address book hold the same persons, each once.
namespace synccheck {

// One sync on the event loop; prepare may set the client's limits and connect to the session
// first. Gives up after two minutes (an error in the outcome).
carddav::SyncOutcome RunSync(const std::string& path, const QString& password = {},
                             const std::function<void(carddav::SyncSession&)>& prepare = {});

// Links the book to the server's address book.
void LinkTo(const std::string& path, const CardDavServer& server);

// The server's cards by href (as the server names them), with their ETags.
struct ServerCard {
    std::string etag;
    std::string text;
};
std::map<std::string, ServerCard> Cards(const CardDavServer& server);

// A person of many fields, different for each n.
PersonRecord Someone(int n);
// Adds count persons Someone(from) ... in one transaction.
void AddMany(const std::string& path, int from, int count);

// The person of that last name (there must be one).
PersonRecord Find(const std::string& path, const std::string& last);
void Edit(const std::string& path, const std::string& last, PersonRecord::Field field,
          const std::string& value);
// Changes the field of the card at href on the server, as another device would.
bool EditOnServer(const CardDavServer& server, const std::string& href, PersonRecord::Field field,
                  const std::string& value);
bool PutOnServer(const CardDavServer& server, const std::string& name, const std::string& card);
bool DeleteOnServer(const CardDavServer& server, const std::string& href);

// The book and the address book are in step: as many cards as persons, no UID twice, every
// person's state names a card whose 17 fields are the person's, and no card without a person.
::testing::AssertionResult InStep(const std::string& path, const CardDavServer& server);

}  // namespace synccheck
