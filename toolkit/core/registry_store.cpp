#include "toolkit/core/registry_store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace zarv {
namespace {

// Marks a database as ours ("ZRRG"); a database with any other mark, or
// with tables but no mark, belongs to somebody else.
constexpr int kApplicationId = 0x5A525247;
constexpr int kBusyTimeoutMs = 10000;

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) return nullptr;
  return Stmt(s);
}

void BindText(sqlite3_stmt* s, int index, std::string_view text) {
  sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Reads one integer; nullopt-like false when the statement fails.
bool QueryInt(sqlite3* db, const char* sql, long long* out) {
  Stmt s = Prepare(db, sql);
  if (!s) return false;
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_ROW) {
    *out = sqlite3_column_int64(s.get(), 0);
    return true;
  }
  return rc == SQLITE_DONE ? (*out = 0, true) : false;
}

enum class Identity { kOurs, kEmpty, kForeign, kUnreadable };

Identity Identify(sqlite3* db) {
  long long id = 0;
  long long tables = 0;
  if (!QueryInt(db, "PRAGMA application_id", &id)) return Identity::kUnreadable;
  if (!QueryInt(db, "SELECT count(*) FROM sqlite_master", &tables)) return Identity::kUnreadable;
  if (id == kApplicationId) return Identity::kOurs;
  if (id == 0 && tables == 0) return Identity::kEmpty;
  return Identity::kForeign;
}

Db Open(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  Db db(raw);
  if (rc != SQLITE_OK) return nullptr;
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  sqlite3_extended_result_codes(db.get(), 1);
  return db;
}

// The error number behind a failed SQLite call: the system's own when there
// was one, else one that describes the failure.
int ErrorNumber(sqlite3* db) {
  if (db) {
    if (const int sys = sqlite3_system_errno(db); sys > 0) return sys;
    switch (sqlite3_errcode(db) & 0xff) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED: return EBUSY;
      case SQLITE_READONLY:
      case SQLITE_PERM:
      case SQLITE_AUTH: return EACCES;
      case SQLITE_FULL: return ENOSPC;
      case SQLITE_NOMEM: return ENOMEM;
      case SQLITE_CANTOPEN: return ENOENT;
      default: break;
    }
  }
  return EIO;
}

// Every ancestor of a key, the key itself last ("A\B\C": "A", "A\B", "A\B\C").
std::vector<std::string_view> KeyChain(std::string_view key) {
  std::vector<std::string_view> chain;
  for (std::size_t pos = key.find('\\'); pos != std::string_view::npos;
       pos = key.find('\\', pos + 1)) {
    if (pos > 0) chain.push_back(key.substr(0, pos));
  }
  chain.push_back(key);
  return chain;
}

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS registry_keys("
    "  root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    "  PRIMARY KEY(root, path));"
    "CREATE TABLE IF NOT EXISTS registry_values("
    "  root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
    "  PRIMARY KEY(root, path, name));";

}  // namespace

std::string RegistryStore::DefaultPath() {
  if (const char* p = std::getenv("ZARVREGISTRY"); p && *p) return p;
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    base = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    base = std::string(h) + "/.config";
  } else {
    base = ".config";
  }
  return base + "/zarvane/registry.sqlite";
}

RegistryStore::Lookup RegistryStore::get(int root, std::string_view key, std::string_view name,
                                         RegistryValue* value) const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Lookup::kKeyMissing;
  // Read-write when possible, so that a journal left by a killed writer is
  // rolled back before anything is read.
  Db db = Open(path_, SQLITE_OPEN_READWRITE);
  if (!db) db = Open(path_, SQLITE_OPEN_READONLY);
  if (!db || Identify(db.get()) != Identity::kOurs) return Lookup::kKeyMissing;

  // The predefined key itself (an empty sub-key) always exists.
  if (!key.empty()) {
    Stmt k = Prepare(db.get(), "SELECT 1 FROM registry_keys WHERE root=?1 AND path=?2");
    if (!k) return Lookup::kKeyMissing;
    sqlite3_bind_int(k.get(), 1, root);
    BindText(k.get(), 2, key);
    if (sqlite3_step(k.get()) != SQLITE_ROW) return Lookup::kKeyMissing;
  }

  Stmt v = Prepare(db.get(),
                   "SELECT type, data FROM registry_values WHERE root=?1 AND path=?2 AND name=?3");
  if (!v) return Lookup::kValueMissing;
  sqlite3_bind_int(v.get(), 1, root);
  BindText(v.get(), 2, key);
  BindText(v.get(), 3, name);
  if (sqlite3_step(v.get()) != SQLITE_ROW) return Lookup::kValueMissing;
  if (value) {
    value->type = sqlite3_column_int(v.get(), 0);
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(v.get(), 1));
    const int size = sqlite3_column_bytes(v.get(), 1);
    value->data.assign(bytes ? bytes : "", bytes ? static_cast<std::size_t>(size) : 0);
  }
  return Lookup::kFound;
}

int RegistryStore::put(int root, std::string_view key, std::string_view name,
                       const RegistryValue& value) const {
  const std::filesystem::path file(path_);
  if (file.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) return ec.value();
  }
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return EISDIR;

  Db db = Open(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (!db) return EACCES;
  // Write-ahead logging for a store that is ours (or still empty): a
  // writer killed at any point leaves the last committed value, and
  // readers never wait for a writer. Somebody else's file keeps its mode.
  if (const Identity id = Identify(db.get()); id == Identity::kOurs || id == Identity::kEmpty) {
    Exec(db.get(), "PRAGMA journal_mode=WAL");
    Exec(db.get(), "PRAGMA synchronous=NORMAL");
  }
  // The write lock first: the check of what the file is and the write
  // itself must see the same database.
  if (!Exec(db.get(), "BEGIN IMMEDIATE")) return ErrorNumber(db.get());
  const auto fail = [&db] {
    const int error = ErrorNumber(db.get());
    Exec(db.get(), "ROLLBACK");
    return error;
  };

  switch (Identify(db.get())) {
    case Identity::kOurs:
      break;
    case Identity::kEmpty:
      if (!Exec(db.get(), kSchema)) return fail();
      if (!Exec(db.get(), "PRAGMA application_id=1515344455")) return fail();
      break;
    case Identity::kForeign:
      Exec(db.get(), "ROLLBACK");
      return EEXIST;
    case Identity::kUnreadable:
      return fail();
  }

  Stmt add_key = Prepare(db.get(), "INSERT OR IGNORE INTO registry_keys(root, path) VALUES(?1, ?2)");
  if (!add_key) return fail();
  for (std::string_view part : KeyChain(key)) {
    sqlite3_reset(add_key.get());
    sqlite3_bind_int(add_key.get(), 1, root);
    BindText(add_key.get(), 2, part);
    if (sqlite3_step(add_key.get()) != SQLITE_DONE) return fail();
  }
  Stmt set = Prepare(db.get(),
                     "INSERT OR REPLACE INTO registry_values(root, path, name, type, data) "
                     "VALUES(?1, ?2, ?3, ?4, ?5)");
  if (!set) return fail();
  sqlite3_bind_int(set.get(), 1, root);
  BindText(set.get(), 2, key);
  BindText(set.get(), 3, name);
  sqlite3_bind_int(set.get(), 4, value.type);
  sqlite3_bind_blob(set.get(), 5, value.data.data(), static_cast<int>(value.data.size()),
                    SQLITE_TRANSIENT);
  if (sqlite3_step(set.get()) != SQLITE_DONE) return fail();
  if (!Exec(db.get(), "COMMIT")) return fail();
  return 0;
}

}  // namespace zarv
