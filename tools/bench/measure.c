/* Runs programs side by side, interleaved round by round, each with the same
 * standard input and its output thrown away, and prints each run's wall time
 * and peak resident memory. The parent is this small program, so the peak
 * memory a child brings from before its exec is small too.
 *
 * usage: measure ROUNDS INPUT PROGRAM...
 * prints one line per run: ROUND PROGRAM-INDEX MICROSECONDS KIB */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

static int run(const char* program, const char* input, double* micros, long* kib) {
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        const int in = open(input, O_RDONLY);
        const int out = open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) {
            _exit(127);
        }
        execl(program, program, (char*)NULL);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) != child) {
        return -1;
    }
    *micros = now() - start;
    *kib = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) != 127 ? 0 : -1;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s ROUNDS INPUT PROGRAM...\n", argv[0]);
        return 2;
    }
    const int rounds = atoi(argv[1]);
    for (int round = 0; round < rounds; ++round) {
        for (int p = 3; p < argc; ++p) {
            double micros = 0;
            long kib = 0;
            if (run(argv[p], argv[2], &micros, &kib) != 0) {
                fprintf(stderr, "measure: %s failed\n", argv[p]);
                return 1;
            }
            printf("%d %d %.1f %ld\n", round, p - 3, micros, kib);
        }
    }
    return 0;
}
