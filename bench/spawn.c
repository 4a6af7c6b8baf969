// SPDX-License-Identifier: Apache-2.0
/*
 * spawn: run one command and record what it cost.
 *
 *     spawn RESULTFILE command [argument ...]
 *
 * Starts the command with address-space randomisation turned off (so its
 * memory figures repeat from run to run), waits for it with wait4 and writes
 * one line to RESULTFILE:
 *
 *     wall_ns user_us sys_us maxrss_kib status
 *
 * status is the command's exit status, or 128 + the signal that ended it
 * (127 when it could not be started).  maxrss is the command's own peak
 * resident size, not that of whoever started spawn.  The command inherits
 * spawn's working directory, standard input and standard output.
 *
 * Build: cc -O2 -o spawn spawn.c   (-static keeps spawn's own pages, which
 * the child has before its exec, down to a few)
 */
#define _GNU_SOURCE
#include <errno.h>
#include <stdio.h>
#include <sys/personality.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: spawn RESULTFILE command [argument ...]\n");
        return 2;
    }
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = fork();
    if (pid < 0) {
        perror("fork");
        return 1;
    }
    if (pid == 0) {
        int persona = personality(0xffffffff);
        if (persona == -1 || personality(persona | ADDR_NO_RANDOMIZE) == -1)
            perror("spawn: personality");       /* measure anyway */
        execvp(argv[2], argv + 2);
        perror(argv[2]);
        _exit(127);
    }
    int status;
    struct rusage ru;
    while (wait4(pid, &status, 0, &ru) < 0)
        if (errno != EINTR) {
            perror("wait4");
            return 1;
        }
    clock_gettime(CLOCK_MONOTONIC, &t1);

    long long wall_ns = (t1.tv_sec - t0.tv_sec) * 1000000000LL + (t1.tv_nsec - t0.tv_nsec);
    long long user_us = ru.ru_utime.tv_sec * 1000000LL + ru.ru_utime.tv_usec;
    long long sys_us = ru.ru_stime.tv_sec * 1000000LL + ru.ru_stime.tv_usec;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

    FILE *f = fopen(argv[1], "w");
    if (!f || fprintf(f, "%lld %lld %lld %ld %d\n", wall_ns, user_us, sys_us,
                      ru.ru_maxrss, code) < 0 || fclose(f) != 0) {
        perror(argv[1]);
        return 1;
    }
    return 0;
}
