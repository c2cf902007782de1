#pragma once

#include <functional>

#include <QEventLoop>
#include <QTimer>

#include "DavClient.h"
#include "Discovery.h"

// Runs the event loop until the request started by start has called back (at most 30 s, a
// failure of the test beyond).
inline carddav::DavReply Await(const std::function<void(carddav::DavClient::Done)>& start) {
    carddav::DavReply result;
    bool called = false;
    QEventLoop loop;
    start([&](const carddav::DavReply& reply) {
        result = reply;
        called = true;
        loop.quit();
    });
    if (!called) {
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!called) {
        result.error = QStringLiteral("(the test gave up waiting)");
    }
    return result;
}

inline carddav::DiscoveryResult AwaitDiscovery(carddav::DavClient& client, const QString& server) {
    carddav::DiscoveryResult result;
    bool called = false;
    QEventLoop loop;
    carddav::Discover(client, server, [&](carddav::DiscoveryResult found) {
        result = std::move(found);
        called = true;
        loop.quit();
    });
    if (!called) {
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!called) {
        result.error = QStringLiteral("(the test gave up waiting)");
    }
    return result;
}
