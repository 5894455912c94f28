/* sqlite_probe without the read: a C program that loads SQLite and exits, to tell
 * loading from reading. */
#include <sqlite3.h>

int main(int argc, char** argv) {
  (void)argv;
  if (argc > 99) return sqlite3_libversion()[0]; /* never true; keeps SQLite linked in */
  return 0;
}
