// nvrdb: shows and seeds the settings store under NVR_ROOT, for the demo, for tests and
// for a developer at the shell.
//
//   nvrdb [--store PATH] init                       factory-default recorder
//   nvrdb [--store PATH] param get KEY
//   nvrdb [--store PATH] param set KEY VALUE        integer when VALUE is one, else text
//   nvrdb [--store PATH] param list
//   nvrdb [--store PATH] tables
//   nvrdb [--store PATH] show TABLE                 every row, as stored
//   nvrdb [--store PATH] record get KIND KEY [KEY2] one record as the programs read it
//   nvrdb [--store PATH] record set KIND KEY [KEY2] FIELD=VALUE...
//   nvrdb [--store PATH] user add NAME PASSWORD TYPE
//   nvrdb [--store PATH] user list
//
// PATH is a store path of the recorder ("/mnt/nand/app/dvdb.db" by default), resolved
// under NVR_ROOT. Exit status 0 on success, 1 on a failure, 2 on a usage error.
#include <json-c/json.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "dvdb.h"
#include "dvstd.h"
#include "webcrypto.h"
#include "nvr_root.h"
#include "camera/ipc_catalog_record.h"
#include "linkage.h"
#include "system/user_record.h"
#include "webres.h"

namespace {

// Every record kind the tool can show and seed: the links' own and each module's, from the
// modules' registries.
std::vector<const RecordKind*> all_kinds() {
  std::vector<const RecordKind*> kinds(std::begin(kLinkageKinds), std::end(kLinkageKinds));
  for (const ModuleRoutes* module : kModuleRoutes)
    kinds.insert(kinds.end(), module->kinds.begin(), module->kinds.end());
  return kinds;
}

// Parameters of a factory-default recorder: the channel count and those read at login.
struct DefaultParam {
  const char* key;
  const char* text;  // nullptr: an integer parameter
  int value;
};
constexpr DefaultParam kDefaultParams[] = {
    {"max_cameras", nullptr, 32},        {"failover_mode", nullptr, 0},
    {"same_channel_exist", nullptr, 0},  {"hardware_version", "V1.1", 0},
    {"software_version", "7x.7.0.9", 0}, {"model", "", 0},
};

constexpr const char* kAdminName = "admin";
constexpr const char* kAdminPassword = "admin123";

int usage() {
  std::fputs(
      "usage: nvrdb [--store PATH] init\n"
      "       nvrdb [--store PATH] param get KEY | param set KEY VALUE | param list\n"
      "       nvrdb [--store PATH] tables | show TABLE\n"
      "       nvrdb [--store PATH] record get KIND KEY [KEY2]\n"
      "       nvrdb [--store PATH] record set KIND KEY [KEY2] FIELD=VALUE...\n"
      "       nvrdb [--store PATH] user add NAME PASSWORD TYPE | user list\n",
      stderr);
  return 2;
}

int failed(const char* what) {
  std::fprintf(stderr, "nvrdb: %s: %s\n", what, store_last_error());
  return 1;
}

[[nodiscard]] bool parse_long(const char* text, long long* out) {
  errno = 0;
  char* end = nullptr;
  *out = std::strtoll(text, &end, 0);
  return errno == 0 && end != text && *end == '\0';
}

// Creates the folders above a store file (the recorder has them; a fresh root does not).
void make_parent_dirs(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0755);
}

// A new account of the given type: type 0 gets every right on every channel, the other
// types live view, playback and retrieval.
UserRecord new_account(const char* name, const char* password, int type) {
  UserRecord u{};
  u.enable = 1;
  std::snprintf(u.name, sizeof u.name, "%s", name);
  std::snprintf(u.password, sizeof u.password, "%s", md5_hex(password).c_str());
  u.type = type;
  bool admin = type == 0;
  u.permission = admin ? -1 : 0;
  u.remote_permission = admin ? -1 : 0;
  int32_t* local[] = {&u.local_live_view,      &u.local_playback, &u.local_retrieve,
                      &u.local_smart_analysis, &u.local_event,    &u.local_camera,
                      &u.local_storage,        &u.local_settings, &u.local_status,
                      &u.local_shutdown};
  int32_t* remote[] = {&u.remote_live_view,      &u.remote_playback, &u.remote_retrieve,
                       &u.remote_smart_analysis, &u.remote_event,    &u.remote_camera,
                       &u.remote_storage,        &u.remote_settings, &u.remote_status,
                       &u.remote_shutdown};
  for (int i = 0; i < 10; ++i) {
    *local[i] = admin || i < 3 ? 1 : 0;
    *remote[i] = admin || i < 3 ? 1 : 0;
  }
  for (char* text : {u.local_live_view_channels, u.local_playback_channels,
                     u.remote_live_view_channels, u.remote_playback_channels})
    std::memset(text, '1', 64);
  u.local_live_view_mask = u.local_playback_mask = 0xffffffffu;
  u.remote_live_view_mask = u.remote_playback_mask = 0xffffffffu;
  std::snprintf(u.extra, sizeof u.extra, "0");
  return u;
}

int add_account(const char* store, const char* name, const char* password, int type) {
  if (name[0] == '\0' || std::strlen(name) >= sizeof(UserRecord::name)) {
    std::fputs("nvrdb: the name must have 1 to 63 characters\n", stderr);
    return 2;
  }
  UserRecord existing;
  if (read_user_by_name(store, name, &existing) == 0) {
    std::fprintf(stderr, "nvrdb: an account named %s exists (slot %d)\n", name, existing.id);
    return 1;
  }
  UserRecord u = new_account(name, password, type);
  int id = -1;
  if (add_user(store, &u, &id) != 0) return failed("cannot add the account");
  std::printf("id=%d\n", id);
  return 0;
}

int cmd_init(const char* store) {
  make_parent_dirs(nvr_path(store));
  // Settings already made are kept: init only fills in what is missing.
  for (const DefaultParam& p : kDefaultParams) {
    int present = check_param_key(store, p.key);
    if (present < 0) return failed("cannot read the parameters");
    if (present == 0) continue;
    int rc = p.text != nullptr ? add_param_value(store, p.key, p.text)
                               : set_param_int(store, p.key, p.value);
    if (rc != 0) return failed(p.key);
  }
  if (write_factory_ipc_catalogue(store) != 0) return failed("cannot store the camera catalogue");
  UserRecord existing;
  if (read_user_by_name(store, kAdminName, &existing) == 0) return 0;
  UserRecord admin = new_account(kAdminName, kAdminPassword, 0);
  int id = -1;
  if (add_user(store, &admin, &id) != 0) return failed("cannot add the administrator");
  return 0;
}

int cmd_param(const char* store, int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[0], "get") == 0) {
    char value[4096];
    if (check_param_key(store, argv[1]) != 0) {
      std::fprintf(stderr, "nvrdb: no parameter %s\n", argv[1]);
      return 1;
    }
    if (get_param_value(store, argv[1], value, sizeof value, "") != 0) return failed(argv[1]);
    std::printf("%s\n", value);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[0], "set") == 0) {
    // Stored as an integer only when it reads back as the same text ("007" stays text).
    long long v;
    int rc;
    if (parse_long(argv[2], &v) && v >= INT32_MIN && v <= INT32_MAX && std::to_string(v) == argv[2])
      rc = set_param_int(store, argv[1], static_cast<int>(v));
    else
      rc = check_param_key(store, argv[1]) == 0 ? set_param_value(store, argv[1], argv[2])
                                                : add_param_value(store, argv[1], argv[2]);
    return rc == 0 ? 0 : failed(argv[1]);
  }
  return usage();
}

// Opens the database read-only for the display commands.
sqlite3* open_readonly(const char* store) {
  std::string path = nvr_path(store);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "nvrdb: cannot open %s: %s\n", path.c_str(), sqlite3_errmsg(db));
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kStoreBusyTimeoutMs);
  return db;
}

[[nodiscard]] bool is_table_name(const char* name) {
  return record_detail::is_identifier(name);
}

// Prints the result rows of `sql`, tab-separated, with a header line; NULL as "NULL",
// blobs as hex digits.
int print_rows(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "nvrdb: %s\n", sqlite3_errmsg(db));
    return 1;
  }
  int columns = sqlite3_column_count(st);
  for (int i = 0; i < columns; ++i) std::printf("%s%s", i ? "\t" : "", sqlite3_column_name(st, i));
  std::printf("\n");
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    for (int i = 0; i < columns; ++i) {
      if (i) std::printf("\t");
      switch (sqlite3_column_type(st, i)) {
        case SQLITE_NULL:
          std::printf("NULL");
          break;
        case SQLITE_BLOB: {
          const unsigned char* p = static_cast<const unsigned char*>(sqlite3_column_blob(st, i));
          for (int j = 0; j < sqlite3_column_bytes(st, i); ++j) std::printf("%02x", p[j]);
          break;
        }
        default: {
          const unsigned char* t = sqlite3_column_text(st, i);
          std::fwrite(t, 1, static_cast<std::size_t>(sqlite3_column_bytes(st, i)), stdout);
        }
      }
    }
    std::printf("\n");
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) {
    std::fprintf(stderr, "nvrdb: %s\n", sqlite3_errmsg(db));
    return 1;
  }
  return 0;
}

int cmd_show(const char* store, const char* table) {
  if (table != nullptr && !is_table_name(table)) {
    std::fprintf(stderr, "nvrdb: not a table name: %s\n", table);
    return 2;
  }
  sqlite3* db = open_readonly(store);
  if (db == nullptr) return 1;
  std::string sql = table == nullptr
                        ? "SELECT name FROM sqlite_schema WHERE type='table' ORDER BY name"
                        : "SELECT * FROM \"" + std::string(table) + "\"";
  int rc = print_rows(db, sql);
  sqlite3_close(db);
  return rc;
}

const RecordKind* find_kind(const char* name) {
  const std::vector<const RecordKind*> kinds = all_kinds();
  for (const RecordKind* kind : kinds)
    if (std::strcmp(kind->name, name) == 0) return kind;
  std::fprintf(stderr, "nvrdb: unknown record kind %s; known:", name);
  for (const RecordKind* kind : kinds) std::fprintf(stderr, " %s", kind->name);
  std::fputs("\n", stderr);
  return nullptr;
}

// record get|set KIND KEY [KEY2] [FIELD=VALUE...]
int cmd_record(const char* store, int argc, char** argv) {
  if (argc < 3) return usage();
  bool set = std::strcmp(argv[0], "set") == 0;
  if (!set && std::strcmp(argv[0], "get") != 0) return usage();
  const RecordKind* kind = find_kind(argv[1]);
  if (kind == nullptr) return 2;
  int at = 2;
  long long first = 0, second = 0;
  if (!parse_long(argv[at++], &first)) return usage();
  if (kind->key2.column != nullptr && (at >= argc || !parse_long(argv[at++], &second)))
    return usage();
  std::vector<unsigned char> record(kind->size);
  bool stored = false;
  if (store_read(store, *kind, RecordKey(first, second), record.data(), &stored) != 0)
    return failed("cannot read the record");
  if (set) {
    for (; at < argc; ++at) {
      const char* eq = std::strchr(argv[at], '=');
      const FieldDesc* f =
          eq != nullptr
              ? record_find_field(
                    *kind, std::string_view(argv[at], static_cast<std::size_t>(eq - argv[at])))
              : nullptr;
      if (f == nullptr || !field_set_from_text(*f, record.data(), eq + 1)) {
        std::fprintf(stderr, "nvrdb: bad field setting %s\n", argv[at]);
        return 2;
      }
    }
    if (store_write(store, *kind, RecordKey(first, second), record.data()) != 0)
      return failed("cannot write the record");
    return 0;
  }
  if (at != argc) return usage();
  json_object* object = json_object_new_object();
  record_fields_to_json(*kind, record.data(), object, RecordNames::kColumn);
  std::printf("%s%s\n", stored ? "" : "(never written: defaults)\n",
              json_object_to_json_string_ext(object, JSON_C_TO_STRING_PRETTY));
  json_object_put(object);
  return 0;
}

int cmd_user(const char* store, int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[0], "add") == 0) {
    long long type;
    if (!parse_long(argv[3], &type) || type < 0 || type > 3) {
      std::fputs("nvrdb: TYPE is 0 to 3\n", stderr);
      return 2;
    }
    return add_account(store, argv[1], argv[2], static_cast<int>(type));
  }
  if (argc == 1 && std::strcmp(argv[0], "list") == 0) {
    std::vector<UserRecord> users(kMaxUsers);
    int count = 0;
    if (store_list(store, std::span(users.data(), kMaxUsers), &count) != 0)
      return failed("cannot read the accounts");
    for (int i = 0; i < count; ++i)
      if (users[i].enable != 0)
        std::printf("%d\t%s\ttype %d\n", users[i].id, users[i].name, users[i].type);
    return 0;
  }
  return usage();
}

}  // namespace

int main(int argc, char** argv) {
  const char* store = kStoreMain;
  int at = 1;
  if (at + 1 < argc && std::strcmp(argv[at], "--store") == 0) {
    store = argv[at + 1];
    at += 2;
  }
  if (at >= argc) return usage();
  std::string_view command = argv[at++];
  int rest = argc - at;
  char** args = argv + at;
  if (command == "init" && rest == 0) return cmd_init(store);
  if (command == "param" && rest == 1 && std::strcmp(args[0], "list") == 0)
    return cmd_show(store, "params");
  if (command == "param" && rest >= 1) return cmd_param(store, rest, args);
  if (command == "tables" && rest == 0) return cmd_show(store, nullptr);
  if (command == "show" && rest == 1) return cmd_show(store, args[0]);
  if (command == "record") return cmd_record(store, rest, args);
  if (command == "user" && rest >= 1) return cmd_user(store, rest, args);
  return usage();
}
