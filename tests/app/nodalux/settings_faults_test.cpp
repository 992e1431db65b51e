// Storing the settings while the disk fails under the store, call by call:
// every value stays as it was or becomes the new one, a failure is
// reported, and the store works again once the disk does.
//
// The store is an SQLite database, which does its own file I/O; the faults
// are injected by a VFS that wraps SQLite's own and fails the Nth call of a
// kind (the model is SQLite's test VFS). It is made the default before the
// store opens anything, and passes every call through until it is armed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/nodalux/settings.h"
#include "app/shared/program_state.h"
#include "toolkit/core/errors.h"

namespace nodalux {
namespace {

namespace fs = std::filesystem;

enum class Fault { kOpen, kWrite, kSync, kTruncate, kDelete, kCount };

struct FaultPlan {
  Fault kind = Fault::kCount;  // none armed
  int countdown = 0;
  bool fired = false;
};
FaultPlan g_plan;

// Counts a call of `kind`; true when it is the one to fail.
bool Fails(Fault kind) {
  if (g_plan.kind != kind || g_plan.fired) return false;
  if (--g_plan.countdown > 0) return false;
  g_plan.fired = true;
  return true;
}

sqlite3_vfs* g_real = nullptr;

struct ShimFile {
  sqlite3_file base;
  sqlite3_file* real;  // SQLite's own file, kept right after this
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->real; }

int ShimClose(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int ShimRead(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
  return Real(f)->pMethods->xRead(Real(f), p, n, at);
}
int ShimWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
  if (Fails(Fault::kWrite)) return SQLITE_IOERR_WRITE;
  return Real(f)->pMethods->xWrite(Real(f), p, n, at);
}
int ShimTruncate(sqlite3_file* f, sqlite3_int64 size) {
  if (Fails(Fault::kTruncate)) return SQLITE_IOERR_TRUNCATE;
  return Real(f)->pMethods->xTruncate(Real(f), size);
}
int ShimSync(sqlite3_file* f, int flags) {
  if (Fails(Fault::kSync)) return SQLITE_IOERR_FSYNC;
  return Real(f)->pMethods->xSync(Real(f), flags);
}
int ShimFileSize(sqlite3_file* f, sqlite3_int64* size) {
  return Real(f)->pMethods->xFileSize(Real(f), size);
}
int ShimLock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int ShimUnlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int ShimCheckReservedLock(sqlite3_file* f, int* out) {
  return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int ShimFileControl(sqlite3_file* f, int op, void* arg) {
  return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int ShimSectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int ShimDeviceCharacteristics(sqlite3_file* f) {
  return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** p) {
  return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, p);
}
int ShimShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShimShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShimShmUnmap(sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); }
int ShimFetch(sqlite3_file* f, sqlite3_int64 at, int n, void** p) {
  return Real(f)->pMethods->xFetch(Real(f), at, n, p);
}
int ShimUnfetch(sqlite3_file* f, sqlite3_int64 at, void* p) {
  return Real(f)->pMethods->xUnfetch(Real(f), at, p);
}

const sqlite3_io_methods kShimMethods = {
    3,          ShimClose,        ShimRead,           ShimWrite,          ShimTruncate,
    ShimSync,   ShimFileSize,     ShimLock,           ShimUnlock,         ShimCheckReservedLock,
    ShimFileControl, ShimSectorSize, ShimDeviceCharacteristics, ShimShmMap, ShimShmLock,
    ShimShmBarrier, ShimShmUnmap, ShimFetch,          ShimUnfetch,
};

int ShimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* out_flags) {
  auto* shim = reinterpret_cast<ShimFile*>(f);
  shim->base.pMethods = nullptr;
  shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
  if ((flags & SQLITE_OPEN_READWRITE) && Fails(Fault::kOpen)) return SQLITE_CANTOPEN;
  const int rc = g_real->xOpen(g_real, name, shim->real, flags, out_flags);
  if (shim->real->pMethods != nullptr) shim->base.pMethods = &kShimMethods;
  return rc;
}
int ShimDelete(sqlite3_vfs*, const char* name, int sync_dir) {
  if (Fails(Fault::kDelete)) return SQLITE_IOERR_DELETE;
  return g_real->xDelete(g_real, name, sync_dir);
}
int ShimAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
  return g_real->xAccess(g_real, name, flags, out);
}
int ShimFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return g_real->xFullPathname(g_real, name, n, out);
}
void* ShimDlOpen(sqlite3_vfs*, const char* name) { return g_real->xDlOpen(g_real, name); }
void ShimDlError(sqlite3_vfs*, int n, char* out) { g_real->xDlError(g_real, n, out); }
void (*ShimDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return g_real->xDlSym(g_real, handle, symbol);
}
void ShimDlClose(sqlite3_vfs*, void* handle) { g_real->xDlClose(g_real, handle); }
int ShimRandomness(sqlite3_vfs*, int n, char* out) { return g_real->xRandomness(g_real, n, out); }
int ShimSleep(sqlite3_vfs*, int us) { return g_real->xSleep(g_real, us); }
int ShimCurrentTime(sqlite3_vfs*, double* now) { return g_real->xCurrentTime(g_real, now); }
int ShimGetLastError(sqlite3_vfs*, int n, char* out) { return g_real->xGetLastError(g_real, n, out); }
int ShimCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
  return g_real->xCurrentTimeInt64(g_real, now);
}

sqlite3_vfs g_shim;

// Made the default VFS as the test program starts, before anything opens
// the store.
const bool kShimInstalled = [] {
  sqlite3_initialize();
  g_real = sqlite3_vfs_find(nullptr);
  g_shim = *g_real;
  g_shim.iVersion = 2;
  g_shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + g_real->szOsFile;
  g_shim.zName = "faulty";
  g_shim.pNext = nullptr;
  g_shim.xOpen = ShimOpen;
  g_shim.xDelete = ShimDelete;
  g_shim.xAccess = ShimAccess;
  g_shim.xFullPathname = ShimFullPathname;
  g_shim.xDlOpen = ShimDlOpen;
  g_shim.xDlError = ShimDlError;
  g_shim.xDlSym = ShimDlSym;
  g_shim.xDlClose = ShimDlClose;
  g_shim.xRandomness = ShimRandomness;
  g_shim.xSleep = ShimSleep;
  g_shim.xCurrentTime = ShimCurrentTime;
  g_shim.xGetLastError = ShimGetLastError;
  g_shim.xCurrentTimeInt64 = ShimCurrentTimeInt64;
  return sqlite3_vfs_register(&g_shim, 1) == SQLITE_OK;
}();

// What another program finds in the store: the registry tool's dump.
std::string StoredValues() {
  const std::string command = std::string(REGISTRY_TOOL) + " dump";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  char buffer[1024];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kShimInstalled);
    dir_ = fs::temp_directory_path() / ("nodalux_settings_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ::setenv("ZARVREGISTRY", (dir_ / "registry.sqlite").c_str(), 1);
    ResetProgramState();
    zarv::InfoStatus(1);
  }
  void TearDown() override {
    g_plan = {};
    ::unsetenv("ZARVREGISTRY");
    fs::remove_all(dir_);
  }

  // Stores an input file and a circle, as the Exit command does.
  static int Store(std::string_view input, float latitude) {
    INPUT_FILE.assign(input);
    CENTRE_LATITUDE = latitude;
    CENTRE_LONGITUDE = 1.0f;
    RADIUS_MILES = 10.0f;
    StoreSettings();
    return zarv::InfoStatus(1);
  }

  static std::string Dump(std::string_view input, std::string_view circle) {
    return "input_file 1 256 \"" + std::string(input) + "\"\ncircle 1 64 \"" + std::string(circle) + "\"\n";
  }

  fs::path dir_;
};

TEST_F(SettingsFaults, EveryFailingCallLeavesEachValueOldOrNew) {
  const std::string old_values = Dump("/maps/old.csv", "  50.00000,   1.00000, 10.00");
  const std::string new_values = Dump("/maps/new.csv", "  60.00000,   1.00000, 10.00");
  int fired = 0;
  for (int kind = 0; kind < static_cast<int>(Fault::kCount); ++kind) {
    for (int nth = 1;; ++nth) {
      SCOPED_TRACE("fault kind " + std::to_string(kind) + ", call " + std::to_string(nth));
      g_plan = {};
      ASSERT_EQ(Store("/maps/old.csv", 50.0f), 0);
      ASSERT_EQ(StoredValues(), old_values);

      g_plan = {static_cast<Fault>(kind), nth, false};
      const int reported = Store("/maps/new.csv", 60.0f);
      const bool hit = g_plan.fired;
      g_plan = {};
      if (!hit) {
        EXPECT_EQ(StoredValues(), new_values);
        break;
      }
      ++fired;
      // Each value is whole, old or new; when not both are new, the failure
      // was reported.
      const std::string found = StoredValues();
      const bool input_old = found.find("old.csv") != std::string::npos;
      const bool input_new = found.find("new.csv") != std::string::npos;
      const bool circle_old = found.find("50.00000") != std::string::npos;
      const bool circle_new = found.find("60.00000") != std::string::npos;
      EXPECT_TRUE(input_old != input_new) << found;
      EXPECT_TRUE(circle_old != circle_new) << found;
      if (found != new_values) {
        EXPECT_EQ(reported, 13) << found;
      }

      // The disk works again: so does the store.
      EXPECT_EQ(Store("/maps/new.csv", 60.0f), 0);
      EXPECT_EQ(StoredValues(), new_values);
    }
  }
  EXPECT_GE(fired, 5);
}

}  // namespace
}  // namespace nodalux
