// A worker thread that takes passages first in, first out, for the backends
// that render them in the background.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class SpeechWorker {
public:
    using Job = std::function<void(const char16_t* text, uint32_t queuedMs)>;

    ~SpeechWorker() { cancel(); }

    void start(Job job) {
        job_ = std::move(job);
        thread_ = std::thread([this] { run(); });
    }

    // Never waits on rendering: only on the short queue lock.
    void push(const char16_t* text, uint32_t queuedMs) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({text, queuedMs});
        }
        wake_.notify_one();
    }

    // Returns when the queue is empty and nothing is being rendered.
    void waitIdle() {
        std::unique_lock<std::mutex> lock(mutex_);
        idle_.wait(lock, [this] { return (queue_.empty() && !busy_) || !thread_.joinable() || quitting_; });
    }

    // Drops what is queued and ends the thread once the current job returns;
    // jobs poll cancelled() to return early.
    void cancel() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            cancelled_ = true;
            quitting_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        idle_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // Ends the thread after the queue has been worked off.
    void drainAndJoin() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quitting_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    bool cancelled() const { return cancelled_; }

private:
    struct Entry {
        const char16_t* text;
        uint32_t queuedMs;
    };

    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return !queue_.empty() || quitting_; });
            if (queue_.empty() || cancelled_) break;
            Entry entry = queue_.front();
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            job_(entry.text, entry.queuedMs);
            lock.lock();
            busy_ = false;
            if (queue_.empty()) idle_.notify_all();
        }
        busy_ = false;
        idle_.notify_all();
    }

    Job job_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Entry> queue_;
    bool busy_ = false;
    bool quitting_ = false;
    std::atomic<bool> cancelled_{false};
};
