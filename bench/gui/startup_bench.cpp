// Times two programs from their start to their first painted window, side by side and
// alternating, with the first-paint probe preloaded. Prints the medians and the median ratio.
// startup_bench PROBE.so ROUNDS PROGRAM_A PROGRAM_B   (run under an X server)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench_support.h"

using talvor::Median;

namespace {

long long NowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Milliseconds from the start of program to its first paint; negative on failure.
double TimeToFirstPaint(const char* probe, const char* program)
{
    char outPath[] = "/tmp/first_paint_XXXXXX";
    const int fd = mkstemp(outPath);
    if (fd < 0)
        return -1;
    close(fd);
    const long long start = NowNs();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("LD_PRELOAD", probe, 1);
        setenv("FIRST_PAINT_OUT", outPath, 1);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    long long painted = 0;
    if (FILE* in = std::fopen(outPath, "r")) {
        if (std::fscanf(in, "%lld", &painted) != 1)
            painted = 0;
        std::fclose(in);
    }
    unlink(outPath);
    return painted > 0 ? double(painted - start) / 1e6 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "uso: %s PROBE.so RODADAS PROGRAMA_A PROGRAMA_B\n", argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[2]);
    std::vector<double> a, b, ratios;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which program goes first, so neither always meets a warmer cache.
        double ta, tb;
        if (round % 2 == 0) {
            ta = TimeToFirstPaint(argv[1], argv[3]);
            tb = TimeToFirstPaint(argv[1], argv[4]);
        } else {
            tb = TimeToFirstPaint(argv[1], argv[4]);
            ta = TimeToFirstPaint(argv[1], argv[3]);
        }
        if (ta <= 0 || tb <= 0) {
            std::fprintf(stderr, "rodada %d: um dos programas não pintou a janela\n", round);
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
        ratios.push_back(ta / tb);
    }
    std::printf("A %s: mediana %.1f ms\n", argv[3], Median(a));
    std::printf("B %s: mediana %.1f ms\n", argv[4], Median(b));
    std::printf("razão A/B: mediana %.3f (%d rodadas)\n", Median(ratios), rounds);
    return 0;
}
