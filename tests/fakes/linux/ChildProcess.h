#pragma once

// A program started by a test as an ordinary child process, ended (SIGTERM, then SIGKILL)
// when the object goes.

#include <string>
#include <vector>

namespace quendra::testing {

class ChildProcess {
public:
    // Starts `argv` (argv[0] a path) with its output sent to `logFile`; pid -1 when it fails.
    ChildProcess(const std::vector<std::string>& argv, const std::string& logFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const;

private:
    int pid_ = -1;
};

}  // namespace quendra::testing
