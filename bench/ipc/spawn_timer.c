/* Runs a program N times, one process after another, and prints the wall time per run:
 * median, 10th and 90th percentile, minimum and maximum, in microseconds.
 *   spawn_timer N program [args...]
 * The program's output goes to /dev/null; a run that fails is counted and reported. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static int compare(const void* a, const void* b) {
  long x = *(const long*)a, y = *(const long*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: spawn_timer N program [args...]\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs < 1 || runs > 100000) return 2;
  long* us = calloc((size_t)runs, sizeof *us);
  if (us == NULL) return 1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int failures = 0;
  for (int i = 0; i < runs; ++i) {
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, argv[2], &actions, NULL, argv + 2, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      ++failures;
    clock_gettime(CLOCK_MONOTONIC, &t1);
    us[i] = (t1.tv_sec - t0.tv_sec) * 1000000L + (t1.tv_nsec - t0.tv_nsec) / 1000;
  }
  qsort(us, (size_t)runs, sizeof *us, compare);
  printf("runs=%d failures=%d median_us=%ld p10_us=%ld p90_us=%ld min_us=%ld max_us=%ld\n", runs,
         failures, us[runs / 2], us[runs / 10], us[(runs * 9) / 10], us[0], us[runs - 1]);
  free(us);
  posix_spawn_file_actions_destroy(&actions);
  return failures == 0 ? 0 : 1;
}
