// A fast stand-in for the tool where thousands of files must run in seconds: it takes the
// tool's arguments (--no-glob or --ignore-length, INPUT, [-C C] --no-glob OUTPUT [effects] echos
// and four texts), copies the input's bytes to the output and speaks like the tool when it
// fails ("<name> FAIL <where>: <text>", exit 2).
//
// COPYTOOL_DELAY_MS: wait this long before opening anything (a slow conversion).
// COPYTOOL_ARGS: append the arguments to this file, one a line.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

int Fail(const char* what, const char* path) {
    std::fprintf(stderr, "copytool FAIL formats: can't open %s file `%s': %s\n", what, path,
                 std::strerror(errno));
    return 2;
}

void LogArguments(int argc, char** argv) {
    const char* log = std::getenv("COPYTOOL_ARGS");
    if (!log)
        return;
    if (std::FILE* f = std::fopen(log, "a")) {
        for (int k = 1; k < argc; ++k)
            std::fprintf(f, "%s\n", argv[k]);
        std::fclose(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    LogArguments(argc, argv);
    if (argc < 10) {
        std::fprintf(stderr, "copytool FAIL usage: INPUT and OUTPUT expected\n");
        return 2;
    }
    if (const char* delay = std::getenv("COPYTOOL_DELAY_MS")) {
        const long ms = std::strtol(delay, nullptr, 10);
        const timespec pause{ms / 1000, (ms % 1000) * 1000000};
        nanosleep(&pause, nullptr);
    }
    const char* input = argv[2];
    int at = 3;  // the output follows the next --no-glob
    while (at < argc - 1 && std::strcmp(argv[at], "--no-glob") != 0)
        ++at;
    const char* output = argv[at + 1];
    const int in = ::open(input, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail("input", input);
    const int out = ::open(output, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0)
        return Fail("output", output);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 || ::write(out, buffer, static_cast<size_t>(n)) != n) {
            std::fprintf(stderr, "copytool FAIL copytool: `%s' File write failed\n", output);
            return 2;
        }
    }
    ::close(in);
    return ::close(out) == 0 ? 0 : 2;
}
