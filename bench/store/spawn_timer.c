/* Starts each of the given programs RUNS times, taking turns (so that a disturbance on the
 * machine falls on all of them alike), and prints for each the wall time of its whole
 * process (spawn, run, exit, wait) as median, 10th and 90th percentile, minimum and
 * maximum, in microseconds, and the same for the child's CPU time. Usage: spawn_timer RUNS PROGRAM... (programs take no arguments) */
#define _GNU_SOURCE
#include <libgen.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static int compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

/* Wall time of one run of `program` in microseconds, or -1 when it failed; *cpu gets the
 * child's user plus system time, which a busy machine disturbs less than the wall time. */
static double run_once(char* program, double* cpu) {
  struct timespec t0, t1;
  char* argv[] = {program, NULL};
  clock_gettime(CLOCK_MONOTONIC, &t0);
  pid_t pid;
  if (posix_spawn(&pid, program, NULL, NULL, argv, environ) != 0) return -1;
  int status;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  clock_gettime(CLOCK_MONOTONIC, &t1);
  *cpu = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
         (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  return (double)(t1.tv_sec - t0.tv_sec) * 1e6 + (double)(t1.tv_nsec - t0.tv_nsec) / 1e3;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fputs("usage: spawn_timer RUNS PROGRAM...\n", stderr);
    return 2;
  }
  int runs = atoi(argv[1]);
  int programs = argc - 2;
  if (runs < 1 || runs > 100000) return 2;
  double* us = malloc(sizeof(double) * (size_t)runs * (size_t)programs);
  double* cpu = malloc(sizeof(double) * (size_t)runs * (size_t)programs);
  if (us == NULL || cpu == NULL) return 1;
  for (int i = 0; i < runs; ++i) {
    for (int p = 0; p < programs; ++p) {
      size_t at = (size_t)p * (size_t)runs + (size_t)i;
      double t = run_once(argv[2 + p], &cpu[at]);
      if (t < 0) {
        fprintf(stderr, "%s failed\n", argv[2 + p]);
        return 1;
      }
      us[at] = t;
    }
  }
  for (int p = 0; p < programs; ++p) {
    double* v = us + (size_t)p * (size_t)runs;
    double* c = cpu + (size_t)p * (size_t)runs;
    qsort(v, (size_t)runs, sizeof(double), compare);
    qsort(c, (size_t)runs, sizeof(double), compare);
    printf("%-17s wall median %6.0f  p10 %6.0f  p90 %6.0f  min %6.0f  max %6.0f | "
           "cpu median %6.0f  p10 %6.0f  p90 %6.0f  (us, %d runs)\n",
           basename(argv[2 + p]), v[runs / 2], v[runs / 10], v[runs * 9 / 10], v[0],
           v[runs - 1], c[runs / 2], c[runs / 10], c[runs * 9 / 10], runs);
  }
  free(us);
  free(cpu);
  return 0;
}
