#include "shapes/ordered_cut.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace model {

namespace {

std::atomic<int> g_cut_threads{0};

// Runs cut ahead of the one to be taken next, at most, per thread: enough to keep every
// thread busy while the caller takes, without holding the pieces of the whole layer twice.
constexpr std::size_t kRunsAhead = 4;

// The runs and what has been done with them, shared by the caller and the workers.
struct run_queue {
    explicit run_queue(const cut_run& c) : cut(c) {}

    const cut_run& cut;
    std::size_t count = 0;   // shapes
    std::size_t length = 1;  // shapes of a run
    std::size_t runs = 0;
    std::size_t window = 1;  // runs that may be cut but not yet taken

    std::mutex lock;
    std::condition_variable changed;
    // By run, made before any thread starts, so that a worker never allocates outside the
    // cut it may fail in.
    std::vector<cut_batch> batches;
    std::vector<char> done;
    std::size_t next = 0;                          // the next run to cut
    std::size_t taken = 0;                         // runs taken
    bool finished = false;                         // nothing more is to be cut

    // Whether a run may be claimed now (the lock held).
    bool can_claim() const { return !finished && next < runs && next < taken + window; }

    // Cuts run k (the lock not held) and marks its batch done.
    void cut_run_k(std::size_t k, std::unique_lock<std::mutex>& held) {
        held.unlock();
        cut_batch& batch = batches[k];
        const std::size_t first = k * length;
        try {
            cut(first, std::min(count, first + length), batch);
        } catch (...) {
            batch.error = std::current_exception();
        }
        held.lock();
        done[k] = 1;
        changed.notify_all();
    }

    void work() {
        std::unique_lock<std::mutex> held(lock);
        for (;;) {
            changed.wait(held, [this] { return finished || next >= runs || can_claim(); });
            if (finished || next >= runs) return;
            cut_run_k(next++, held);
        }
    }

    void finish() {
        const std::lock_guard<std::mutex> held(lock);
        finished = true;
        changed.notify_all();
    }
};

// Ends the workers however the caller leaves: they finish the run in hand and stop.
struct worker_set {
    run_queue& queue;
    std::vector<std::thread> threads;
    ~worker_set() {
        queue.finish();
        for (std::thread& t : threads) t.join();
    }
};

}  // namespace

int get_cut_threads() { return g_cut_threads.load(); }

void set_cut_threads(int threads) { g_cut_threads.store(std::max(0, threads)); }

void cut_in_order(std::size_t count, const cut_run& cut, const take_run& take) {
    if (count == 0) return;
    const int wanted = get_cut_threads();
    const std::size_t threads = static_cast<std::size_t>(wanted > 0 ? wanted : std::max(1u, std::thread::hardware_concurrency()));
    // Runs small enough to share the shapes out evenly, large enough that taking them in
    // turn costs nothing beside cutting them.
    const std::size_t length = std::clamp<std::size_t>(count / (threads * 32), 1, 256);
    const std::size_t runs = (count + length - 1) / length;

    if (threads == 1 || runs == 1) {
        cut_batch batch;
        for (std::size_t first = 0; first < count; first += length) {
            const std::size_t end = std::min(count, first + length);
            batch = cut_batch{};
            cut(first, end, batch);
            if (!take(first, end, batch)) return;
        }
        return;
    }

    run_queue queue(cut);
    queue.count = count;
    queue.length = length;
    queue.runs = runs;
    queue.window = kRunsAhead * threads;
    queue.batches.resize(runs);
    queue.done.resize(runs);
    worker_set workers{queue, {}};
    // The calling thread cuts too, while the run it is to take next is not ready. A thread the
    // system will not start (short of memory for its stack) leaves the work to the others.
    try {
        for (std::size_t t = 1; t < std::min(threads, runs); ++t) workers.threads.emplace_back([&queue] { queue.work(); });
    } catch (const std::system_error&) {
    }

    for (std::size_t k = 0; k < runs; ++k) {
        cut_batch batch;
        {
            std::unique_lock<std::mutex> held(queue.lock);
            while (!queue.done[k]) {
                if (queue.can_claim()) queue.cut_run_k(queue.next++, held);
                else queue.changed.wait(held);
            }
            batch = std::move(queue.batches[k]);
            queue.taken = k + 1;
            queue.changed.notify_all();
        }
        if (batch.error) std::rethrow_exception(batch.error);
        const std::size_t first = k * length;
        if (!take(first, std::min(count, first + length), batch)) return;
    }
}

}  // namespace model
