// Runs a program with this one's standard streams and writes the peak
// resident memory of that program alone, in KiB, to a file. Exits as the
// program did. The figure comes from the kernel's own accounting of
// the child (wait4), so it cannot read as zero for a program that ran.
//
// usage: peak_memory FILE PROGRAM [ARGUMENT...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: peak_memory FILE PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("peak_memory: fork");
        return 2;
    }
    if (child == 0) {
        execv(argv[2], argv + 2);
        std::perror("peak_memory: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("peak_memory: wait4");
        return 2;
    }
    std::FILE* const figure = std::fopen(argv[1], "w");
    if (figure == nullptr || std::fprintf(figure, "%ld\n", usage.ru_maxrss) < 0 ||
        std::fclose(figure) != 0) {
        std::perror("peak_memory: the figure");
        return 2;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
