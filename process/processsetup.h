// What both programs do first thing in main(), before any file is opened: the standard streams
// are made to exist and signals that would end the program for a write are turned into errors.
#pragma once

namespace eb {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, so that no pipe or file
// opened later takes a standard stream's number (a program started by a service manager may
// find them closed). Then ignores SIGPIPE (a reader that went away: the write fails with EPIPE)
// and SIGXFSZ (a file-size limit: the write fails with EFBIG). Child processes get the default
// dispositions back before they start.
void PrepareProcess();

// Raises the soft limit of open files to the hard limit and returns the new soft limit.
long RaiseOpenFileLimit();

}  // namespace eb
