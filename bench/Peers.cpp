#include "bench/Peers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {
namespace {

// posix_spawn's file actions, destroyed on every path out.
class FileActions
{
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> p;
    for (std::string& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

double seconds(const timeval& t)
{
    return double(t.tv_sec) + double(t.tv_usec) * 1e-6;
}

// Starts `command` with standard output to `outFile` (created or emptied) and waits for it;
// returns its exit status and fills `usage` with its resources.
int spawnAndWait(std::vector<std::string> command, const std::string& outFile,
                 std::vector<std::string> environment, rusage& usage)
{
    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv = pointers(command);
    std::vector<char*> envp = pointers(environment);
    pid_t pid = 0;
    if (const int rc = posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), envp.data()))
        throw std::runtime_error("cannot start " + command.front() + ": " + std::strerror(rc));
    int status = 0;
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            throw std::runtime_error("lost " + command.front() + ": " + std::strerror(errno));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

Outcome runPeer(const std::vector<std::string>& command, const std::string& outFile,
                const std::vector<std::string>& extraEnvironment)
{
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.emplace_back(*e);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    rusage usage{};
    Outcome out;
    const Stopwatch watch;
    const int status = spawnAndWait(command, outFile, environment, usage);
    double ownCpu = 0;
    watch.stop(out.value, ownCpu);
    if (status != 0)
        throw std::runtime_error(command.front() + " ended with status " + std::to_string(status));
    out.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return out;
}

std::int64_t lineCount(const std::string& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::int64_t lines = 0;
    char chunk[1 << 16];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), in.get())) > 0;)
        lines += std::count(chunk, chunk + n, '\n');
    return lines;
}

std::string versionLine(const std::vector<std::string>& command)
{
    char file[] = "/tmp/quorvane-bench-version-XXXXXX";
    const int fd = mkstemp(file);
    if (fd < 0)
        return {};
    close(fd);
    std::string line;
    try {
        runPeer(command, file);
        std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(file, "r"), std::fclose);
        char text[256] = "";
        if (in && std::fgets(text, sizeof(text), in.get()))
            line = text;
    } catch (const std::runtime_error&) {
    }
    unlink(file);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

} // namespace bench
