#pragma once

#include <exception>
#include <functional>
#include <thread>

// A read on a second thread (and a connection of its own) while the caller reads on its own
// thread: the file is read on two cores at once. Its failure is thrown by Finish; the
// destructor waits for it, so that a failure on the caller's side leaves nothing running.
class SideRead {
public:
    SideRead() = default;
    SideRead(const SideRead&) = delete;
    SideRead& operator=(const SideRead&) = delete;
    ~SideRead() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Start(std::function<void()> read) {
        thread_ = std::thread([this, read = std::move(read)] {
            try {
                read();
            } catch (...) {
                failed_ = std::current_exception();
            }
        });
    }
    bool Started() const { return thread_.joinable(); }
    // Waits for the read to end; throws what it threw.
    void Finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (failed_) {
            std::rethrow_exception(std::exchange(failed_, nullptr));
        }
    }

private:
    std::thread thread_;
    std::exception_ptr failed_;
};
