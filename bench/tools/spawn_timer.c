/* Whole-process cost of programs: starts each RUNS times, taking turns (so that a
 * disturbance on the machine falls on all of them alike), and prints one line per program:
 * wall time of the whole process (spawn, run, exit, wait) as median, 10th and 90th
 * percentile, minimum and maximum in microseconds, the median CPU time (user + system,
 * which a busy machine disturbs less) and the median peak resident memory.
 *
 *   spawn_timer RUNS PROGRAM [ARG...] [:: PROGRAM [ARG...]]...
 *
 * Programs inherit this environment; their standard output and error go to /dev/null. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <libgen.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

enum { kMaxPrograms = 16 };

struct Program {
  char** argv; /* null-terminated slice of main's argv */
  double* wall_us;
  double* cpu_us;
  double* rss_kb;
  int failures;
};

static int compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

static double at(double* v, int n, double q) {
  qsort(v, (size_t)n, sizeof *v, compare);
  return v[(int)(q * (n - 1))];
}

static int run_once(struct Program* p, int i, posix_spawn_file_actions_t* actions) {
  struct timespec t0, t1;
  clock_gettime(CLOCK_MONOTONIC, &t0);
  pid_t pid;
  if (posix_spawn(&pid, p->argv[0], actions, NULL, p->argv, environ) != 0) return -1;
  int status;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  clock_gettime(CLOCK_MONOTONIC, &t1);
  p->wall_us[i] = (double)(t1.tv_sec - t0.tv_sec) * 1e6 + (double)(t1.tv_nsec - t0.tv_nsec) / 1e3;
  p->cpu_us[i] = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                 (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  p->rss_kb[i] = (double)usage.ru_maxrss;
  return WIFEXITED(status) ? 0 : -1;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: spawn_timer RUNS PROGRAM [ARG...] [:: PROGRAM [ARG...]]...\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs < 1 || runs > 100000) return 2;
  struct Program programs[kMaxPrograms];
  int count = 0;
  for (int i = 2; i < argc && count < kMaxPrograms;) {
    struct Program* p = &programs[count++];
    memset(p, 0, sizeof *p);
    p->argv = &argv[i];
    while (i < argc && strcmp(argv[i], "::") != 0) ++i;
    if (i < argc) argv[i++] = NULL; /* ends this program's argv */
    p->wall_us = calloc((size_t)runs, sizeof(double));
    p->cpu_us = calloc((size_t)runs, sizeof(double));
    p->rss_kb = calloc((size_t)runs, sizeof(double));
    if (p->wall_us == NULL || p->cpu_us == NULL || p->rss_kb == NULL) return 1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  for (int r = 0; r < runs; ++r)
    for (int k = 0; k < count; ++k)
      if (run_once(&programs[k], r, &actions) != 0) ++programs[k].failures;
  for (int k = 0; k < count; ++k) {
    struct Program* p = &programs[k];
    double med = at(p->wall_us, runs, 0.5), p10 = at(p->wall_us, runs, 0.1);
    double p90 = at(p->wall_us, runs, 0.9), lo = at(p->wall_us, runs, 0.0);
    double hi = at(p->wall_us, runs, 1.0);
    printf(
        "%-20s wall median %7.0f us  p10 %7.0f  p90 %7.0f  min %7.0f  max %7.0f  "
        "cpu median %7.0f us  peak RSS %5.0f KiB%s\n",
        basename(p->argv[0]), med, p10, p90, lo, hi, at(p->cpu_us, runs, 0.5),
        at(p->rss_kb, runs, 0.5), p->failures ? "  (some runs failed)" : "");
  }
  return 0;
}
