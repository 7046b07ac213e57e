// A fast stand-in for the tool where thousands of files must run in seconds: it takes the
// tool's arguments (--no-glob INPUT, or "--ignore-length -" for a WAV stream of floats on
// standard input, then [-C C] --no-glob OUTPUT echos and four texts). It copies the input's
// bytes to the output, or writes silent MP3 frames as long as the samples it read, and speaks
// like the tool when it fails ("<name> FAIL <where>: <text>", exit 2).
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

// Reads the WAV stream on standard input to its end (a 46-byte header, then floats) and
// writes silent layer III frames of that length (empty side information decodes to silence)
// at the same rate.
int WriteSilence(int out) {
    unsigned char header[46] = {};
    unsigned char buffer[65536];
    long long bytes = 0;
    for (ssize_t n; (n = bytes < 46 ? ::read(0, header + bytes, static_cast<size_t>(46 - bytes))
                                    : ::read(0, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR)
            return 2;
        bytes += n > 0 ? n : 0;
    }
    const long channels = header[22];
    const long rate = header[24] | (header[25] << 8) | (long{header[26]} << 16);
    bytes -= 46;
    if (rate <= 0)
        return 2;
    const int rateIndex = rate % 11025 == 0 ? 0 : rate % 12000 == 0 ? 1 : 2;
    const bool mpeg1 = rate >= 32000;
    const bool mpeg25 = rate <= 12000;
    const unsigned char head[4] = {0xff,
                                   static_cast<unsigned char>(mpeg1    ? 0xfb
                                                              : mpeg25 ? 0xe3
                                                                       : 0xf3),
                                   static_cast<unsigned char>(((mpeg1    ? 9
                                                                : mpeg25 ? 4
                                                                         : 8)
                                                               << 4) |
                                                              (rateIndex << 2)),
                                   static_cast<unsigned char>(channels == 1 ? 0xc0 : 0x00)};
    const long frameBytes = mpeg1 ? 144000L * 128 / rate : 72000L * (mpeg25 ? 32 : 64) / rate;
    const long long samples = bytes / (4 * (channels > 0 ? channels : 1));
    const long long perFrame = mpeg1 ? 1152 : 576;
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, head, sizeof head);
    for (long long k = (samples + perFrame - 1) / perFrame + 1; k > 0; --k) {
        if (::write(out, buffer, static_cast<size_t>(frameBytes)) != frameBytes)
            return 2;
    }
    return 0;
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
    const bool decoded = std::strcmp(argv[2], "-") == 0;
    const char* input = argv[2];
    int at = 3;  // the output follows the next --no-glob
    while (at < argc - 1 && std::strcmp(argv[at], "--no-glob") != 0)
        ++at;
    const char* output = argv[at + 1];
    const int in = decoded ? 0 : ::open(input, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail("input", input);
    const int out = ::open(output, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0)
        return Fail("output", output);
    if (decoded) {
        const int silent = WriteSilence(out);
        if (silent != 0)
            std::fprintf(stderr, "copytool FAIL copytool: `%s' File write failed\n", output);
        return ::close(out) == 0 ? silent : 2;
    }
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
