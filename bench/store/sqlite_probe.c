/* The same read in the fewest SQLite calls: open the file, select the account in slot 0
 * with every column, close. The floor that the store's own read is measured against. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>

int main(void) {
  const char* root = getenv("NVR_ROOT");
  char path[4096];
  snprintf(path, sizeof path, "%s/mnt/nand/app/dvdb.db", root != NULL ? root : "");
  sqlite3* db = NULL;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK) return 1;
  sqlite3_stmt* st = NULL;
  int rc = 1;
  if (sqlite3_prepare_v2(db, "SELECT * FROM user WHERE id=0", -1, &st, NULL) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 2) != NULL)
    rc = 0;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rc;
}
