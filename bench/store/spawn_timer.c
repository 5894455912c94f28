/* Starts a program RUNS times, one after the other, and prints the wall time of each whole
 * process (fork, exec, run, exit, wait) as median, 10th and 90th percentile, minimum and
 * maximum, in microseconds. Usage: spawn_timer RUNS PROGRAM [ARGS...] */
#define _GNU_SOURCE
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static int compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fputs("usage: spawn_timer RUNS PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs < 1 || runs > 100000) return 2;
  double* us = malloc(sizeof(double) * (size_t)runs);
  if (us == NULL) return 1;
  for (int i = 0; i < runs; ++i) {
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid;
    if (posix_spawn(&pid, argv[2], NULL, NULL, argv + 2, environ) != 0) return 1;
    int status;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      fprintf(stderr, "%s failed\n", argv[2]);
      return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    us[i] = (double)(t1.tv_sec - t0.tv_sec) * 1e6 + (double)(t1.tv_nsec - t0.tv_nsec) / 1e3;
  }
  qsort(us, (size_t)runs, sizeof(double), compare);
  printf("median %8.0f  p10 %8.0f  p90 %8.0f  min %8.0f  max %8.0f  (us, %d runs)\n",
         us[runs / 2], us[runs / 10], us[runs * 9 / 10], us[0], us[runs - 1], runs);
  free(us);
  return 0;
}
