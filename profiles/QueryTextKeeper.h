#pragma once

#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Keeps the query box's text with its profile ("Text1", as Text1_Change does) on a thread of
// its own, through a connection of its own to the settings file, so that typing never waits
// on the disk. keep() hands the latest text over and returns at once; a text handed over
// while an earlier one still waits replaces it. wait() returns when everything handed over
// is stored: callers wait before anything else writes the same profile (a save, a delete, a
// run's "text1") and before the program ends. A failing write is ignored, as the window's
// own keepers ignore theirs.
namespace profiles {

class QueryTextKeeper
{
public:
    QueryTextKeeper();
    ~QueryTextKeeper(); // waits for the text handed over last
    QueryTextKeeper(const QueryTextKeeper&) = delete;
    QueryTextKeeper& operator=(const QueryTextKeeper&) = delete;

    // Nothing is kept for an empty profile name or a name of the program's own sections.
    void keep(const QString& profile, const QString& text);
    void wait();

private:
    struct Job
    {
        QString storePath; // the program's store when the text was handed over
        QString profile;
        QString text;
    };
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace profiles
