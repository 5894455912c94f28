// The factory command path "/vb.htm" and the customisation package "/oem". Production and
// service tools send short commands ("setlang=2&decode=1", or one bare word); each found
// command runs in order and writes its own short answer. The package replaces the logo,
// interface resources and web files of a customised build.
//
// These requests run the recorder's most dangerous commands, so nothing of the request
// reaches a shell: programs run with argument lists, and files are created and removed
// with system calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "cgi.h"
#include "cgi_utils.h"
#include "dvmem.h"
#include "dvstd.h"
#include "handler_kit.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "web_utils.h"
#include "webcrypto.h"

namespace {

// ---- Commands ----------------------------------------------------------------------------

constexpr int kHashBuckets = 64;
constexpr int kMaxPairs = 64;
// Name and value characters must lie within the first 64 characters of the request text.
constexpr std::size_t kPairTextLimit = 64;
constexpr std::size_t kArgScanLimit = 255;

// One command of a request: name and value of up to 63 characters each.
struct CommandPair {
  char name[64];
  char value[64];
};
static_assert(sizeof(CommandPair) == 128);
static_assert(offsetof(CommandPair, value) == 64);
static_assert(sizeof(CommandPair[kMaxPairs]) == 8192);

using OptionHandler = void (*)(const CommandPair& pair);

struct HttpOptionTable {
  const char* name;
  OptionHandler handler;
  const HttpOptionTable* next;  // the next entry of the same bucket
};

constexpr const char* kOemDir = "/mnt/nand2";
constexpr const char* kAppBin = "/opt/app/bin";
constexpr const char* kWebDir = "/opt/app/www";
constexpr const char* kAppDir = "/mnt/nand/app";

void answer_store_result(bool stored, const char* key) {
  if (!stored)
    std::fprintf(stderr, "vb.htm: parameter %s not stored: %s\n", key, store_last_error());
  cgi_writeback_webserver(kCgiText, stored ? "OK" : "ERROR");
}

// A text parameter set, created when missing.
bool store_text_param(const char* key, const char* value) {
  int found = check_param_key(kStoreMain, key);
  if (found < 0) return false;
  return (found == 1 ? add_param_value(kStoreMain, key, value)
                     : set_param_value(kStoreMain, key, value)) == 0;
}

void on_setlang(const CommandPair& pair) {
  int32_t language = 0;
  const char* end = pair.value + std::strlen(pair.value);
  auto [ptr, ec] = std::from_chars(pair.value, end, language);
  if (ec != std::errc() || ptr != end) {
    cgi_writeback_webserver(kCgiText, "PARAM ERROR");
    return;
  }
  kSystemCore.notice(kSetLanguage, language);
  write_ok();
}

void on_setdefault(const CommandPair& /*pair*/) {}

void on_decode(const CommandPair& pair) {
  answer_store_result(store_text_param("decode", pair.value), "decode");
}

void on_hotplug(const CommandPair& pair) {
  answer_store_result(store_text_param("hdmihotplug", pair.value), "hdmihotplug");
}

// Runs a program of the recorder with its arguments; false (and why) when it failed.
bool run(std::initializer_list<const char*> args) {
  std::vector<const char*> argv(args);
  argv.push_back(nullptr);
  if (web_exec(argv.data()) == 0) return true;
  std::fprintf(stderr, "vb.htm: %s failed\n", argv[0]);
  return false;
}

// Creates (or keeps) an empty marker file.
bool touch(const char* dir, const char* name) {
  std::string path = nvr_path(std::string(dir) + "/" + name);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    std::fprintf(stderr, "vb.htm: %s not created\n", path.c_str());
    return false;
  }
  close(fd);
  return true;
}

// Removes the files directly in `dir` ("rm dir/*": folders and hidden files stay).
bool remove_files_in(const char* dir) {
  std::string folder = nvr_path(dir);
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return false;
  bool ok = true;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::string path = folder + "/" + e->d_name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    if (unlink(path.c_str()) != 0) ok = false;
  }
  closedir(d);
  return ok;
}

// Restores the standard look: logo and interface from their backups, the customisation
// folder emptied, the standard web files unpacked, and the markers that make the core
// erase the address, users and all settings at the next start.
void on_oemclean(const CommandPair& /*pair*/) {
  std::string oem = nvr_path(kOemDir), bin = nvr_path(kAppBin), web = nvr_path(kWebDir);
  bool ok = run({"cp", (oem + "/logo.jpg_bk").c_str(), (bin + "/logo.jpg").c_str()});
  ok = run({"cp", (oem + "/gui.rcc_bk").c_str(), (bin + "/gui.rcc").c_str()}) && ok;
  ok = remove_files_in(kOemDir) && ok;
  ok = run({"tar", "-zxf", (web + "/web.tar.gz").c_str(), "-C", (web + "/").c_str()}) && ok;
  ok = touch(kAppDir, "eraseip") && ok;
  ok = touch(kAppDir, "eraseuser") && ok;
  ok = set_param_int(kStoreMain, "oem_type", 0) == 0 && ok;
  ok = touch(kAppDir, "eraseall") && ok;
  ok = run({"sync"}) && ok;
  cgi_writeback_webserver(kCgiText, ok ? "OK" : "ERROR");
}

void on_softversion(const CommandPair& /*pair*/) {
  char version[256];
  get_param_value(kStoreMain, "software_version", version, sizeof version, "7x.7.0.9");
  cgi_writeback_webserver(kCgiText, version);
}

constexpr HttpOptionTable kOptions[] = {
    {"setlang", on_setlang, nullptr},   {"setdefault", on_setdefault, nullptr},
    {"decode", on_decode, nullptr},     {"hotplug", on_hotplug, nullptr},
    {"oemclean", on_oemclean, nullptr}, {"softversion", on_softversion, nullptr},
};

// Words accepted without "=" (the whole text); "tobrik" and "debug" have no handler.
constexpr const char* kNoArgNames[10] = {"oemclean", "tobrik", "debug", "softversion"};

// The command hash of one request: the table's entries chained per bucket, each inserted
// at the head of its bucket in table order. On the stack, so building it cannot fail.
struct CommandHash {
  HttpOptionTable entries[std::size(kOptions)];
  const HttpOptionTable* buckets[kHashBuckets];
};

void hash_insert_entry(CommandHash& hash, HttpOptionTable& entry) {
  int bucket = hash_cal_value(entry.name);
  entry.next = hash.buckets[bucket];
  hash.buckets[bucket] = &entry;
}

void hash_table_init(CommandHash& hash) {
  for (auto& b : hash.buckets) b = nullptr;
  for (std::size_t i = 0; i < std::size(kOptions); ++i) {
    hash.entries[i] = kOptions[i];
    hash_insert_entry(hash, hash.entries[i]);
  }
}

const HttpOptionTable* http_option_search(const CommandHash& hash, const char* name) {
  for (const HttpOptionTable* e = hash.buckets[hash_cal_value(name)]; e != nullptr; e = e->next)
    if (std::strcmp(e->name, name) == 0) return e;
  return nullptr;
}

bool is_httpoption_no_arg(const char* text) {
  for (const char* name : kNoArgNames)
    if (name != nullptr && name[0] != '\0' && std::strcmp(text, name) == 0) return true;
  return false;
}

int get_httpoption_argnum(const char* text) {
  int count = 0;
  for (std::size_t i = 0; i < kArgScanLimit && text[i] != '\0'; ++i)
    if (text[i] == '=') ++count;
  return count;
}

// Copies characters of `text` from *pos up to a stop character (or the end) into out;
// false when one lies past the pair text limit.
bool take_field(const char* text, std::size_t* pos, const char* stops, char* out) {
  std::size_t n = 0;
  while (text[*pos] != '\0' && std::strchr(stops, text[*pos]) == nullptr) {
    if (*pos >= kPairTextLimit || n + 1 >= sizeof(CommandPair::name)) return false;
    out[n++] = text[(*pos)++];
  }
  out[n] = '\0';
  return true;
}

// Splits "name=value&name=value" into `count` pairs; false when the text does not hold them
// within its first 64 characters.
bool ui_decodeing(const char* text, CommandPair* pairs, int count) {
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    if (!take_field(text, &pos, "=", pairs[i].name) || text[pos] != '=') return false;
    ++pos;
    if (!take_field(text, &pos, "&", pairs[i].value)) return false;
    if (text[pos] == '&') ++pos;
  }
  return true;
}

// ---- Customisation package ---------------------------------------------------------------

// A package is a few megabytes of logo, interface and web files; anything far larger is no
// package of ours and would only exhaust the memory of the recorder.
constexpr int kMaxPackageText = 32 * 1024 * 1024;

uint16_t le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool name_is_safe(std::string_view name) {
  if (name.empty() || name[0] == '/' || name.find('\\') != std::string_view::npos ||
      name.find('\0') != std::string_view::npos || (name.size() > 1 && name[1] == ':'))
    return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// Writes the package to a private temporary file; its path, or "" when it failed.
std::string write_private_temp(const unsigned char* data, int length) {
  std::string pattern = nvr_path("/tmp/oemXXXXXX");
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return "";
  bool ok = true;
  for (int done = 0; ok && done < length;) {
    ssize_t n = write(fd, data + done, static_cast<std::size_t>(length - done));
    ok = n > 0;
    if (ok) done += static_cast<int>(n);
  }
  ok = close(fd) == 0 && ok;
  if (!ok) {
    unlink(name.data());
    return "";
  }
  return name.data();
}

// The decrypted package, or an empty vector when it cannot be read, decoded or decrypted.
std::vector<unsigned char> open_package(const char* upload, const char* key) {
  int length = 0;
  struct stat st;
  if (stat(upload, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxPackageText) {
    std::fprintf(stderr, "oem: upload missing or too large\n");
    return {};
  }
  char* text = dv_get_file_data(upload, &length);
  if (text == nullptr) return {};
  std::vector<unsigned char> cipher(static_cast<std::size_t>(length) / 4 * 3 + 3);
  int cipher_len = dv_base64_decode(text, length, cipher.data(), static_cast<int>(cipher.size()));
  __dv_free(text);
  if (cipher_len <= 0) {
    std::fprintf(stderr, "oem: the package is not Base64\n");
    return {};
  }
  std::vector<unsigned char> plain(static_cast<std::size_t>(cipher_len));
  int plain_len = aesDecryWeb(cipher.data(), key, plain.data(), cipher_len);
  if (plain_len <= 0) {
    std::fprintf(stderr, "oem: the package does not decrypt with this key\n");
    return {};
  }
  plain.resize(static_cast<std::size_t>(plain_len));
  return plain;
}

}  // namespace

std::string uploaded_tmp_file(const char* text) {
  std::string path = text != nullptr ? text : "";
  path.resize(std::min(path.find(" & "), path.size()));
  // The front end names the file as it lies on this machine (under the root off the board).
  const std::string root = nvr_root();
  if (!root.empty() && path.starts_with(root + "/")) path.erase(0, root.size());
  if (path.size() > 63 || !is_plain_tmp_path(path.c_str())) {
    std::fprintf(stderr, "refused upload path %s\n", path.c_str());
    return "";
  }
  return nvr_path(path);
}

int hash_cal_value(const char* name) {
  uint32_t hash = 0;  // unsigned: the same bits as wrapping signed arithmetic
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p)
    hash = hash * 37u + static_cast<uint32_t>(static_cast<signed char>(*p));
  return static_cast<int>(hash & 63u);
}

bool zip_entries_are_safe(const unsigned char* data, std::size_t size) {
  constexpr std::size_t kEndSize = 22, kEntrySize = 46;
  if (size < kEndSize) return false;
  // The end record lies in the last 22 bytes plus at most a 65535-byte comment.
  std::size_t end = std::string_view::npos;
  std::size_t lowest = size > kEndSize + 65535 ? size - kEndSize - 65535 : 0;
  for (std::size_t i = size - kEndSize + 1; i-- > lowest;)
    if (le32(data + i) == 0x06054b50u) {
      end = i;
      break;
    }
  if (end == std::string_view::npos) {
    std::fprintf(stderr, "oem: no zip directory\n");
    return false;
  }
  const unsigned char* e = data + end;
  uint64_t entries = le16(e + 10), dir_size = le32(e + 12), dir_offset = le32(e + 16);
  if (le16(e + 4) != 0 || le16(e + 6) != 0 || entries != le16(e + 8) ||
      dir_offset + dir_size > end) {
    std::fprintf(stderr, "oem: a zip directory we do not take\n");
    return false;
  }
  uint64_t pos = dir_offset;
  for (uint64_t i = 0; i < entries; ++i) {
    if (pos + kEntrySize > dir_offset + dir_size || le32(data + pos) != 0x02014b50u) return false;
    const unsigned char* h = data + pos;
    uint64_t name_len = le16(h + 28), extra_len = le16(h + 30), comment_len = le16(h + 32);
    uint32_t mode = le32(h + 38) >> 16;  // Unix mode of entries made on Unix
    uint64_t next = pos + kEntrySize + name_len + extra_len + comment_len;
    if (next > dir_offset + dir_size) return false;
    std::string_view name(reinterpret_cast<const char*>(h + kEntrySize), name_len);
    bool made_on_unix = h[5] == 3;
    if (!name_is_safe(name) || (made_on_unix && S_ISLNK(mode))) {
      std::fprintf(stderr, "oem: refused entry %.*s\n", static_cast<int>(name.size()), name.data());
      return false;
    }
    pos = next;
  }
  return pos == dir_offset + dir_size;
}

int on_vb_htm(char* text) {
  if (text == nullptr) {
    cgi_writeback_webserver(kCgiText, "ERROR");
    return -1;
  }
  CommandHash hash;
  hash_table_init(hash);
  CommandPair pairs[kMaxPairs] = {};
  int count = 1;
  if (is_httpoption_no_arg(text)) {
    std::snprintf(pairs[0].name, sizeof pairs[0].name, "%s", text);
    std::snprintf(pairs[0].value, sizeof pairs[0].value, "1");
  } else {
    count = get_httpoption_argnum(text);
    if (count == 0 || count > kMaxPairs || !ui_decodeing(text, pairs, count)) {
      cgi_writeback_webserver(kCgiText, "PARAM ERROR");
      return -1;
    }
  }
  for (int i = 0; i < count; ++i) {
    const HttpOptionTable* entry = http_option_search(hash, pairs[i].name);
    if (entry == nullptr) {
      cgi_writeback_webserver(kCgiText, "ERROR");
      return -1;
    }
    entry->handler(pairs[i]);
  }
  return 0;
}

int on_upload_oem(char* text) {
  const char* fail = "ERROR";
  std::string request = text != nullptr ? text : "";
  std::string upload = uploaded_tmp_file(request.c_str());
  // The key is in the query part: an upload's own path never supplies it.
  std::size_t query = request.find(" & ");
  std::size_t aes = query == std::string::npos ? query : request.find("aes=", query);
  if (upload.empty() || aes == std::string::npos) {
    std::fprintf(stderr, "oem: no upload or no key\n");
    cgi_writeback_webserver(kCgiText, fail);
    return -1;
  }
  std::string key = request.substr(aes + 4, 32);
  key = key.substr(0, key.find('&'));
  std::vector<unsigned char> package = open_package(upload.c_str(), key.c_str());
  if (package.empty() || !zip_entries_are_safe(package.data(), package.size())) {
    cgi_writeback_webserver(kCgiText, fail);
    return -1;
  }
  std::string zip = write_private_temp(package.data(), static_cast<int>(package.size()));
  if (zip.empty()) {
    std::fprintf(stderr, "oem: no temporary file\n");
    cgi_writeback_webserver(kCgiText, fail);
    return -1;
  }
  (void)unlink(upload.c_str());
  std::string target = nvr_path(kOemDir) + "/";
  // Quiet: the program's standard output is the response.
  bool unpacked = run({"unzip", "-qq", "-o", zip.c_str(), "-d", target.c_str()});
  (void)unlink(zip.c_str());
  if (!unpacked || !touch(kOemDir, "oem_upload")) {
    cgi_writeback_webserver(kCgiText, fail);
    return -1;
  }
  write_ok();
  return 0;
}
