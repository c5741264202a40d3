#pragma once
// Runs a test body in a child process: for code that may hang, crash, or must run with limits or
// privileges the test process should not take on itself. The body returns the child's exit code;
// an exception it lets out exits with 98. The child ends with _Exit (no exit handlers, no test
// framework teardown in the child).
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildResult {
    bool finished = false;   // ended by itself within the time limit
    int exitCode = -1;       // its exit code; -1 when it was killed (by a signal or the limit)
};

inline ChildResult RunInChild(const std::function<int()>& body,
                              std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        int code = 98;
        try {
            code = body();
        } catch (...) {
        }
        std::fflush(nullptr);
        std::_Exit(code);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return {false, -1};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return {true, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
