// store_probe without the read: a C++ program that loads the same libraries (the C++
// runtime, json-c, SQLite) and exits, to tell loading from reading.
#include <json-c/json.h>
#include <sqlite3.h>

#include <string>

int main(int argc, char**) {
  std::string s(static_cast<std::size_t>(argc), 'x');
  if (argc > 99) {  // never true; keeps both libraries linked in
    json_object_put(json_object_new_object());
    return sqlite3_libversion()[0];
  }
  return s.size() > 99 ? 1 : 0;
}
