#include "profiles/QueryTextKeeper.h"

#include "profiles/Profile.h"
#include "settings/SettingsStore.h"

#include <memory>

namespace profiles {

QueryTextKeeper::QueryTextKeeper() : thread_([this] { run(); }) {}

QueryTextKeeper::~QueryTextKeeper()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void QueryTextKeeper::keep(const QString& profile, const QString& text)
{
    if (profile.isEmpty() || isReservedName(profile))
        return;
    Job job{settings::store().path(), profile, text};
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(job);
    }
    changed_.notify_all();
}

void QueryTextKeeper::wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ && !writing_; });
}

void QueryTextKeeper::run()
{
    std::unique_ptr<settings::SettingsStore> store;
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        const Job job = std::move(*pending_);
        pending_.reset();
        writing_ = true;
        lock.unlock();
        try {
            if (!store || store->path() != job.storePath)
                store = std::make_unique<settings::SettingsStore>(job.storePath);
            store->save(job.profile, settings::profile::Text1, job.text);
        } catch (const std::exception&) {
            // Kept on the next change, the next run or the next Save Profile.
        }
        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

} // namespace profiles
