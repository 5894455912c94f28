// Faults under the store: the N-th write, sync or truncate of the database files fails,
// for every N a copy to two channels meets, and the two channels must afterwards both
// hold the old or both the new record (the new one whenever the call said 0). Damaged
// and missing database files give -1, never a crash.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string>

#include "dvdb.h"
#include "dvstd.h"
#include "sample_kinds.h"
#include "support/store_fixture.h"
#include "support/temp_root.h"

namespace {

using sample::Everything;
using sample::kEverythingKind;

// ---- A VFS that passes everything to the default one but can fail one I/O call -------

sqlite3_vfs* g_real_vfs = nullptr;
sqlite3_vfs g_fault_vfs;
int g_countdown = -1;  // I/O calls left before the failing one; -1: never fail
bool g_fired = false;

bool inject() {
  if (g_countdown < 0) return false;
  if (g_countdown-- > 0) return false;
  g_fired = true;
  return true;
}

struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_file* real_of(sqlite3_file* f) {
  return reinterpret_cast<FaultFile*>(f)->real;
}

int f_close(sqlite3_file* f) {
  int rc = real_of(f)->pMethods != nullptr ? real_of(f)->pMethods->xClose(real_of(f)) : SQLITE_OK;
  return rc;
}
int f_read(sqlite3_file* f, void* p, int n, sqlite3_int64 off) {
  return real_of(f)->pMethods->xRead(real_of(f), p, n, off);
}
int f_write(sqlite3_file* f, const void* p, int n, sqlite3_int64 off) {
  if (inject()) return SQLITE_IOERR_WRITE;
  return real_of(f)->pMethods->xWrite(real_of(f), p, n, off);
}
int f_truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (inject()) return SQLITE_IOERR_TRUNCATE;
  return real_of(f)->pMethods->xTruncate(real_of(f), size);
}
int f_sync(sqlite3_file* f, int flags) {
  if (inject()) return SQLITE_IOERR_FSYNC;
  return real_of(f)->pMethods->xSync(real_of(f), flags);
}
int f_size(sqlite3_file* f, sqlite3_int64* size) {
  return real_of(f)->pMethods->xFileSize(real_of(f), size);
}
int f_lock(sqlite3_file* f, int l) {
  return real_of(f)->pMethods->xLock(real_of(f), l);
}
int f_unlock(sqlite3_file* f, int l) {
  return real_of(f)->pMethods->xUnlock(real_of(f), l);
}
int f_check(sqlite3_file* f, int* out) {
  return real_of(f)->pMethods->xCheckReservedLock(real_of(f), out);
}
int f_control(sqlite3_file* f, int op, void* arg) {
  return real_of(f)->pMethods->xFileControl(real_of(f), op, arg);
}
int f_sector(sqlite3_file* f) {
  return real_of(f)->pMethods->xSectorSize(real_of(f));
}
int f_device(sqlite3_file* f) {
  return real_of(f)->pMethods->xDeviceCharacteristics(real_of(f));
}
int f_shm_map(sqlite3_file* f, int page, int size, int extend, void volatile** p) {
  return real_of(f)->pMethods->xShmMap(real_of(f), page, size, extend, p);
}
int f_shm_lock(sqlite3_file* f, int offset, int n, int flags) {
  return real_of(f)->pMethods->xShmLock(real_of(f), offset, n, flags);
}
void f_shm_barrier(sqlite3_file* f) {
  real_of(f)->pMethods->xShmBarrier(real_of(f));
}
int f_shm_unmap(sqlite3_file* f, int del) {
  return real_of(f)->pMethods->xShmUnmap(real_of(f), del);
}
int f_fetch(sqlite3_file* f, sqlite3_int64 off, int n, void** p) {
  return real_of(f)->pMethods->xFetch(real_of(f), off, n, p);
}
int f_unfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
  return real_of(f)->pMethods->xUnfetch(real_of(f), off, p);
}

const sqlite3_io_methods kFaultMethods = {
    3,          f_close,       f_read,      f_write,   f_truncate, f_sync,   f_size,
    f_lock,     f_unlock,      f_check,     f_control, f_sector,   f_device, f_shm_map,
    f_shm_lock, f_shm_barrier, f_shm_unmap, f_fetch,   f_unfetch};

int f_open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out_flags) {
  auto* ff = reinterpret_cast<FaultFile*>(file);
  ff->real = reinterpret_cast<sqlite3_file*>(ff + 1);
  int rc = g_real_vfs->xOpen(g_real_vfs, name, ff->real, flags, out_flags);
  ff->base.pMethods = ff->real->pMethods != nullptr ? &kFaultMethods : nullptr;
  return rc;
}

void install_fault_vfs() {
  if (g_real_vfs != nullptr) return;
  g_real_vfs = sqlite3_vfs_find(nullptr);
  g_fault_vfs = *g_real_vfs;
  g_fault_vfs.zName = "nvrtest-fault";
  g_fault_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + g_real_vfs->szOsFile;
  g_fault_vfs.xOpen = f_open;
  ASSERT_EQ(sqlite3_vfs_register(&g_fault_vfs, 1), SQLITE_OK);
}

class StoreFaultTest : public nvrtest::StoreFixture {
 protected:
  void TearDown() override {
    g_countdown = -1;
    StoreFixture::TearDown();
  }
};

std::unique_ptr<Everything> tagged(int tag) {
  auto r = std::make_unique<Everything>();
  std::memset(r.get(), 0, sizeof *r);
  r->i32 = tag;
  r->i64 = tag * 7;
  std::snprintf(r->text, sizeof r->text, "tag%d", tag);
  for (auto& row : r->rows) std::snprintf(row.sections[20].start, 32, "t%d", tag);
  return r;
}

// The tag both channels hold, or -1 when they differ or a record is not whole.
int tag_of_both_channels(const char* store) {
  int tags[2];
  for (int i = 0; i < 2; ++i) {
    auto r = std::make_unique<Everything>();
    if (store_read(store, kEverythingKind, i + 1, r.get()) != 0) return -2;
    auto expected = tagged(r->i32);
    expected->channel = i + 1;
    if (std::memcmp(expected.get(), r.get(), sizeof(Everything)) != 0) return -1;
    tags[i] = r->i32;
  }
  return tags[0] == tags[1] ? tags[0] : -1;
}

TEST_F(StoreFaultTest, AFailedIoCallNeverLeavesHalfACopy) {
  install_fault_vfs();
  auto old_record = tagged(1), new_record = tagged(2);
  int failures_seen = 0;
  for (int n = 0; n < 200; ++n) {
    g_countdown = -1;
    ASSERT_EQ(store_copy_mask(store(), kEverythingKind, old_record.get(), 0b110), 0);
    store_close_all();

    g_countdown = n;
    g_fired = false;
    int rc = store_copy_mask(store(), kEverythingKind, new_record.get(), 0b110);
    bool fired = g_fired;
    g_countdown = -1;
    store_close_all();

    int tag = tag_of_both_channels(store());
    ASSERT_TRUE(tag == 1 || tag == 2) << "fault at I/O call " << n << " left tag " << tag;
    if (rc == 0) {
      ASSERT_EQ(tag, 2) << "reported success at I/O call " << n;
    }
    if (rc != 0) ++failures_seen;
    if (!fired) {
      ASSERT_EQ(rc, 0);
      break;
    }
  }
  EXPECT_GT(failures_seen, 0);  // the faults did reach the write
}

TEST_F(StoreFaultTest, AFileThatIsNotADatabaseFailsEveryCall) {
  nvrtest::process_temp_root().write(store_, std::string(8192, '\x5a'));
  Everything r{};
  bool stored = true;
  r.i32 = 5;
  EXPECT_EQ(store_read(store(), kEverythingKind, 1, &r, &stored), -1);
  EXPECT_EQ(r.i32, 0);  // defaults, even on failure
  EXPECT_FALSE(stored);
  EXPECT_EQ(store_write(store(), kEverythingKind, 1, &r), -1);
  int count = 7;
  EXPECT_EQ(store_list(store(), kEverythingKind, &r, 1, &count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(get_param_int(store(), "max_cameras", 32), 32);
  EXPECT_EQ(check_param_key(store(), "max_cameras"), -1);
  EXPECT_EQ(set_param_int(store(), "max_cameras", 1), -1);
}

TEST_F(StoreFaultTest, ATruncatedDatabaseGivesResultsButNoCrash) {
  auto r = tagged(3);
  for (int channel = 0; channel < 64; ++channel)
    ASSERT_EQ(store_write(store(), kEverythingKind, channel, r.get()), 0);
  store_close_all();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(nvrtest::process_temp_root().at(store_).c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  std::string content = nvrtest::process_temp_root().read(store_);
  ASSERT_GT(content.size(), 8192u);
  nvrtest::process_temp_root().write(store_, content.substr(0, content.size() / 3));
  std::vector<Everything> list(64);
  int count = 0;
  int rc = store_list(store(), kEverythingKind, list.data(), 64, &count);
  EXPECT_TRUE(rc == 0 || rc == -1);
  EXPECT_LE(count, 64);
  rc = store_write(store(), kEverythingKind, 63, r.get());
  EXPECT_TRUE(rc == 0 || rc == -1);
}

TEST_F(StoreFaultTest, AMissingFolderOrAFolderInPlaceOfTheFileFails) {
  Everything r{};
  EXPECT_EQ(store_write("/mnt/nowhere/dvdb.db", kEverythingKind, 0, &r), -1);
  EXPECT_EQ(store_read("/mnt/nowhere/dvdb.db", kEverythingKind, 0, &r), 0);  // never written
  nvrtest::process_temp_root().mkdirs(store_);
  EXPECT_EQ(store_write(store(), kEverythingKind, 0, &r), -1);
  EXPECT_EQ(store_read(store(), kEverythingKind, 0, &r), -1);
  EXPECT_EQ(add_param_value(store(), "model", "x"), -1);
}

}  // namespace
