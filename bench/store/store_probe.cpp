// One store read as a request process does it: the account in slot 0 through the store
// (lazy open, WAL, one read transaction over the kind's columns), then exit.
#include <cstdio>

#include "system/user_record.h"

int main() {
  UserRecord user{};
  if (store_read(kStoreMain, 0, &user) != 0) return 1;
  return user.name[0] != '\0' ? 0 : 2;
}
