#pragma once
// Runs a test body in a child process, for code that may hang or crash, or that needs limits or
// rights the test process should not take on. The body's result is the child's exit code (98 when
// it raises); the child ends with _Exit, running no exit handlers.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

struct ChildResult {
    bool finished = false;   // ended by itself within the time limit
    int exitCode = -1;       // -1 when killed (by a signal or the limit)
};

// Starts the body in a child process and returns its id at once (fork from one thread only: a
// child forked while another thread holds an allocator lock may hang, as under the sanitizers).
inline pid_t StartChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 98;
        try {
            code = body();
        } catch (...) {
        }
        std::_Exit(code);
    }
    return pid;
}

// Waits for a child started by StartChild, killing it when the time limit passes.
inline ChildResult WaitChild(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return {pid > 0, pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

inline ChildResult RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    return WaitChild(StartChild(body), limit);
}
