#include "query/db/Watch.h"

#include "query/db/Backend.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace db {
namespace {

// How long the caller's thread waits for the engine between two calls of proceed().
constexpr std::chrono::milliseconds waitSlice{5};

// What the worker hands back; shared, so that neither side outlives it.
struct Handover
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::unique_ptr<BackendResult> result;
    std::exception_ptr error;
};

} // namespace

std::unique_ptr<BackendResult> executeWatched(const std::shared_ptr<BackendConnection>& connection,
                                              const QString& sql, Watch& watch)
{
    auto handover = std::make_shared<Handover>();
    std::thread worker([handover, connection, sql] {
        std::unique_ptr<BackendResult> result;
        std::exception_ptr error;
        try {
            result = connection->execute(sql);
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(handover->mutex);
        handover->result = std::move(result);
        handover->error = error;
        handover->done = true;
        handover->finished.notify_all();
    });

    bool cancelled = false;
    try {
        for (;;) {
            {
                std::unique_lock lock(handover->mutex);
                if (handover->finished.wait_for(lock, waitSlice, [&] { return handover->done; }))
                    break;
            }
            if (!cancelled && !watch.proceed(0)) {
                cancelled = true;
                connection->cancel();
            }
        }
    } catch (...) {
        // proceed() threw: the engine is stopped before the exception goes on.
        if (!cancelled)
            connection->cancel();
        worker.join();
        throw;
    }
    worker.join();

    if (cancelled) {
        // A result that was complete when Cancel came is dropped too; the engine was told to
        // stop, so the statements of the batch after it do not run when the result goes.
        handover->result.reset();
        throw Cancelled();
    }
    if (handover->error)
        std::rethrow_exception(handover->error);
    return std::move(handover->result);
}

} // namespace db
