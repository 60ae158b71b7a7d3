// A worker thread that takes passages first in, first out, for the backends
// that render them in the background.
//
// The main loop hands passages over with push, which must never wait on the
// worker: the queue is a single-producer, single-consumer linked list, and
// the worker is woken through a semaphore, whose post does not block. A mutex
// shared with the worker could hold the main loop for a whole scheduler slice
// whenever the worker is preempted while holding it.
#pragma once

#include <pthread.h>
#include <sched.h>
#include <semaphore.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class SpeechWorker {
public:
    using Job = std::function<void(const char16_t* text, uint32_t queuedMs)>;

    SpeechWorker() {
        head_ = tail_ = new Node;
        sem_init(&ready_, 0, 0);
    }

    ~SpeechWorker() {
        cancel();
        while (head_) {
            Node* next = head_->next.load();
            delete head_;
            head_ = next;
        }
        sem_destroy(&ready_);
    }

    void start(Job job) {
        job_ = std::move(job);
        running_ = true;
        thread_ = std::thread([this] { run(); });
    }

    // Called from one thread only (the main loop).
    void push(const char16_t* text, uint32_t queuedMs) {
        Node* node = new Node;
        node->text = text;
        node->queuedMs = queuedMs;
        pushed_.fetch_add(1, std::memory_order_relaxed);
        tail_->next.store(node, std::memory_order_release);
        tail_ = node;
        sem_post(&ready_);
    }

    // Returns when everything pushed so far has been rendered (or dropped).
    void waitIdle() {
        uint64_t target = pushed_.load();
        std::unique_lock<std::mutex> lock(idleMutex_);
        idle_.wait(lock, [&] { return done_ >= target || !running_; });
    }

    // Drops what is queued and ends the thread once the current job returns;
    // jobs poll cancelled() to return early.
    void cancel() {
        cancelled_ = true;
        quit();
    }

    // Ends the thread after the queue has been worked off.
    void drainAndJoin() { quit(); }

    bool cancelled() const { return cancelled_; }

private:
    struct Node {
        const char16_t* text = nullptr;
        uint32_t queuedMs = 0;
        std::atomic<Node*> next{nullptr};
    };

    void quit() {
        quitting_ = true;
        sem_post(&ready_);
        if (thread_.joinable()) thread_.join();
    }

    void run() {
        // Rendering is far faster than speech, so the worker can yield: a
        // batch thread does not preempt the main loop when push wakes it.
        sched_param param{};
        pthread_setschedparam(pthread_self(), SCHED_BATCH, &param);
        for (;;) {
            while (sem_wait(&ready_) != 0) {
            }
            Node* next = head_->next.load(std::memory_order_acquire);
            if (!next) {
                if (quitting_) break;
                continue;  // the quit post, or a post already consumed
            }
            delete head_;
            head_ = next;
            if (!cancelled_) job_(next->text, next->queuedMs);
            {
                std::lock_guard<std::mutex> lock(idleMutex_);
                ++done_;
            }
            idle_.notify_all();
        }
        std::lock_guard<std::mutex> lock(idleMutex_);
        running_ = false;
        idle_.notify_all();
    }

    Job job_;
    std::thread thread_;
    Node* head_;  // the worker's end: a consumed node whose next is the front
    Node* tail_;  // the main loop's end
    sem_t ready_;
    std::atomic<uint64_t> pushed_{0};
    std::atomic<bool> quitting_{false};
    std::atomic<bool> cancelled_{false};
    std::mutex idleMutex_;
    std::condition_variable idle_;
    uint64_t done_ = 0;
    bool running_ = false;
};
