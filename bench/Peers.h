#pragma once

// The peers: the engines' own command-line clients reading the benchmark's query into a file,
// started as a user starts them and timed in the same run as Quorvane's paths.

#include "bench/Measure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Whether `program` is found on PATH.
bool onPath(const std::string& program);

// Runs `command` (the program first, found on PATH) with its standard output in `outFile`
// and `extraEnvironment` ("NAME=value") added to this process's environment. The value is
// the wall time from start to exit; cpu is the child's user + system time. Throws when the
// program cannot start or ends with another status than 0.
Outcome runPeer(const std::vector<std::string>& command, const std::string& outFile,
                const std::vector<std::string>& extraEnvironment = {});

// The number of line ends in a file.
std::int64_t lineCount(const std::string& path);

// The first line a program prints for `--version`-like arguments, or empty.
std::string versionLine(const std::vector<std::string>& command);

} // namespace bench
