// Forks and executes one child with a fixed set of descriptors, reporting a failed exec with
// its real errno. Used by ToolRun; everything the child needs is prepared before the fork, so
// the child only makes system calls.
#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace eb {

struct ChildSpec {
    const char* path = nullptr;  // the program's path, used when exeFd is -1
    int exeFd = -1;              // the program's file, open read-only, executed as it is
    char* const* argv = nullptr;
    int stderrFd = -1;  // becomes the child's standard error; its output is /dev/null
    int stdinFd = -1;   // becomes its standard input; -1: /dev/null
    // Descriptors the child gets as 3, 4, ... in this order (the files it is told of as
    // /dev/fd/3 and on); -1 ends the list.
    static constexpr int kMaxPassed = 4;
    int passedFds[kMaxPassed] = {-1, -1, -1, -1};
};

// The child runs in a process group of its own, with every signal's default disposition and
// an empty signal mask, and is killed (SIGKILL) when the calling thread ends. Returns its pid,
// or -1 with errno set, as a system call does, when it could not be forked or its exec failed
// (the child is then reaped already).
pid_t StartChild(const ChildSpec& launch);

// The file a bare program name stands for on PATH, as execvp would find it; empty when none.
// A name with a "/" is returned as it is.
QByteArray ResolveOnPath(const QByteArray& name);

}  // namespace eb
