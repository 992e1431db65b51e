#include "toolkit/core/registry_store.h"

#include <sqlite3.h>

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "toolkit/os/files.h"
#include "toolkit/os/os.h"

namespace zarv {
namespace {

namespace os = zarv::os;

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

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

enum class Identity { kOurs, kEmpty, kForeign, kUnreadable };

// Both facts come from one statement, so from one snapshot: read one at a
// time, another program's first write could land between them and make a
// store that is just being created look like somebody else's file.
Identity Identify(sqlite3* db) {
  Stmt s = Prepare(db,
                   "SELECT (SELECT application_id FROM pragma_application_id), "
                   "(SELECT count(*) FROM sqlite_master)");
  if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return Identity::kUnreadable;
  const long long id = sqlite3_column_int64(s.get(), 0);
  const long long tables = sqlite3_column_int64(s.get(), 1);
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

// The store read as it lies on disk, for a reader that cannot create the
// files write-ahead logging reads through (a folder it may not write to).
// Only while no log is pending: a store without one holds every commit.
Db OpenImmutable(const std::string& path) {
  os::FileInfo wal;
  if (os::Door().stat(path + "-wal", true, &wal) == 0 && wal.size > 0) return nullptr;
  std::string uri = "file:";
  static const char kHex[] = "0123456789ABCDEF";
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '~') {
      uri.push_back(static_cast<char>(c));
    } else {
      uri += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  uri += "?immutable=1";
  return Open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
}

// One connection for the whole run, so that reading the settings at
// start-up and writing them on exit open the store once. It follows the
// store's path and file, and is never carried into a child process. The
// program ends without closing it: the write-ahead log stays beside the
// store until it is folded in (see put), so ending waits for no disk.
struct Session {
  std::string path;
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;
  pid_t pid = 0;
  bool writable = false;
  bool logged = false;      // the store is in write-ahead-log mode
  bool in_group = false;    // the write group's transaction is open here
  Db db;

  ~Session() {
    if (pid != ::getpid()) (void)db.release();  // the parent's, not ours
  }
};

// Writes made between BeginWriteGroup and EndWriteGroup: one transaction.
struct WriteGroup {
  int depth = 0;
  int error = 0;  // the first failure inside the group
};

Session& TheSession() {
  static Session session;
  return session;
}

WriteGroup& TheGroup() {
  static WriteGroup group;
  return group;
}

bool Matches(const Session& s, const std::string& path, const os::FileInfo& st) {
  return s.db && s.path == path && s.dev == st.device && s.ino == st.inode &&
         s.pid == ::getpid();
}

// Write-ahead logging with normal syncing: every commit is atomic, a
// writer killed at any point leaves the last committed value, readers never
// wait for a writer, and a commit waits for no disk. The log is synced and
// folded into the store when it passes 100 pages (a few dozen runs of the
// program); a power failure can take back the commits made since, but never
// damages the store. Switched on only after a write has succeeded, as the
// switch itself writes to the file: a write that fails leaves a store
// exactly as it was.
void UseWriteAheadLog(Session& s) {
  if (s.logged) return;
  Exec(s.db.get(), "PRAGMA journal_mode=WAL");
  s.logged = true;
}

// Ends the group's transaction on this connection: committed, or rolled
// back when a write inside it failed. The error number when the commit
// itself failed, else 0.
int FinishGroup(Session& s) {
  if (!s.in_group) return 0;
  s.in_group = false;
  if (TheGroup().error != 0) {
    Exec(s.db.get(), "ROLLBACK");
  } else if (!Exec(s.db.get(), "COMMIT")) {
    const int error = ErrorNumber(s.db.get());
    Exec(s.db.get(), "ROLLBACK");
    TheGroup().error = error;
    return error;
  } else {
    UseWriteAheadLog(s);
  }
  return 0;
}

// Forgets the connection: closed, or (in a child process) left alone.
void Drop(Session& s) {
  if (s.db && s.pid == ::getpid()) FinishGroup(s);
  if (s.pid != ::getpid()) (void)s.db.release();
  s.db.reset();
  s.path.clear();
  s.dev = 0;
  s.ino = 0;
  s.pid = 0;
  s.writable = s.logged = s.in_group = false;
}

void Keep(Session& s, Db db, const std::string& path, const os::FileInfo& st, bool writable) {
  Drop(s);
  s.db = std::move(db);
  s.path = path;
  s.dev = st.device;
  s.ino = st.inode;
  s.pid = ::getpid();
  s.writable = writable;
}

// A connection that reads the store at `path` (whose file is `st`): the
// run's own when it is open on that file, else a new one, kept when the
// store is ours. Null when the file is not a store of ours or cannot be
// read.
sqlite3* Reader(const std::string& path, const os::FileInfo& st, Db& scratch) {
  Session& s = TheSession();
  if (Matches(s, path, st)) return s.db.get();
  // Read-write when possible, so that a log left by a killed writer is
  // recovered before anything is read.
  bool writable = true;
  Db db = Open(path, SQLITE_OPEN_READWRITE);
  if (!db) {
    writable = false;
    db = Open(path, SQLITE_OPEN_READONLY);
  }
  Identity id = db ? Identify(db.get()) : Identity::kUnreadable;
  if (id == Identity::kOurs) {
    Keep(s, std::move(db), path, st, writable);
    return s.db.get();
  }
  if (id != Identity::kUnreadable) return nullptr;
  // A store in a folder this user may not write to: read the file itself.
  scratch = OpenImmutable(path);
  if (!scratch || Identify(scratch.get()) != Identity::kOurs) return nullptr;
  return scratch.get();
}

// Binds a text; an empty one stays an empty text, never NULL.
void BindText(sqlite3_stmt* s, int index, std::string_view text) {
  sqlite3_bind_text(s, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
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
  os::FileInfo st;
  if (os::Door().stat(path_, true, &st) != 0 || st.kind != os::Kind::kRegular) {
    return Lookup::kKeyMissing;
  }
  Db scratch;
  sqlite3* db = Reader(path_, st, scratch);
  if (!db) return Lookup::kKeyMissing;

  // The predefined key itself (an empty sub-key) always exists.
  if (!key.empty()) {
    Stmt k = Prepare(db, "SELECT 1 FROM registry_keys WHERE root=?1 AND path=?2");
    if (!k) return Lookup::kKeyMissing;
    sqlite3_bind_int(k.get(), 1, root);
    BindText(k.get(), 2, key);
    if (sqlite3_step(k.get()) != SQLITE_ROW) return Lookup::kKeyMissing;
  }

  Stmt v = Prepare(db, "SELECT type, data FROM registry_values WHERE root=?1 AND path=?2 AND name=?3");
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
  WriteGroup& group = TheGroup();
  if (group.depth > 0 && group.error != 0) return group.error;  // all or nothing
  const auto failed = [&group](int error) {
    if (group.depth > 0 && group.error == 0) group.error = error;
    return error;
  };

  if (const int error = os::MakeFolders(std::string(os::FolderPart(path_)))) return failed(error);
  os::FileInfo st;
  if (os::Door().stat(path_, true, &st) == 0 && st.kind != os::Kind::kRegular) return failed(EISDIR);

  Session& s = TheSession();
  if (!Matches(s, path_, st) || !s.writable) {
    Db db = Open(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!db || os::Door().stat(path_, true, &st) != 0) return failed(EACCES);
    switch (Identify(db.get())) {
      case Identity::kOurs:
      case Identity::kEmpty:
        break;
      case Identity::kForeign:
        return failed(EEXIST);  // somebody else's file keeps its mode too
      case Identity::kUnreadable:
        return failed(ErrorNumber(db.get()));
    }
    Keep(s, std::move(db), path_, st, true);
  }
  sqlite3* db = s.db.get();
  if (!s.logged) {
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "PRAGMA wal_autocheckpoint=100");
  }
  const auto fail = [&] {
    const int error = ErrorNumber(db);
    Exec(db, "ROLLBACK");
    s.in_group = false;
    return failed(error);
  };

  // The write lock first: the check of what the file is and the write
  // itself must see the same database.
  if (!s.in_group) {
    if (!Exec(db, "BEGIN IMMEDIATE")) return failed(ErrorNumber(db));
    s.in_group = group.depth > 0;
  }
  switch (Identify(db)) {
    case Identity::kOurs:
      break;
    case Identity::kEmpty:
      if (!Exec(db, kSchema)) return fail();
      if (!Exec(db, "PRAGMA application_id=1515344455")) return fail();
      break;
    case Identity::kForeign:
      Exec(db, "ROLLBACK");
      s.in_group = false;
      return failed(EEXIST);
    case Identity::kUnreadable:
      return fail();
  }

  Stmt add_key = Prepare(db, "INSERT OR IGNORE INTO registry_keys(root, path) VALUES(?1, ?2)");
  if (!add_key) return fail();
  for (std::string_view part : KeyChain(key)) {
    sqlite3_reset(add_key.get());
    sqlite3_bind_int(add_key.get(), 1, root);
    BindText(add_key.get(), 2, part);
    if (sqlite3_step(add_key.get()) != SQLITE_DONE) return fail();
  }
  Stmt set = Prepare(db,
                     "INSERT OR REPLACE INTO registry_values(root, path, name, type, data) "
                     "VALUES(?1, ?2, ?3, ?4, ?5)");
  if (!set) return fail();
  sqlite3_bind_int(set.get(), 1, root);
  BindText(set.get(), 2, key);
  BindText(set.get(), 3, name);
  sqlite3_bind_int(set.get(), 4, value.type);
  sqlite3_bind_blob(set.get(), 5, value.data.empty() ? "" : value.data.data(),
                    static_cast<int>(value.data.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(set.get()) != SQLITE_DONE) return fail();
  if (!s.in_group) {
    if (!Exec(db, "COMMIT")) return fail();
    UseWriteAheadLog(s);
  }
  return 0;
}

void RegistryStore::BeginWriteGroup() { ++TheGroup().depth; }

int RegistryStore::EndWriteGroup() {
  WriteGroup& group = TheGroup();
  if (group.depth == 0) return 0;
  if (--group.depth > 0) return 0;
  Session& s = TheSession();
  const int error = s.db && s.pid == ::getpid() ? FinishGroup(s) : 0;
  group.error = 0;
  return error;
}

void RegistryStore::Close() { Drop(TheSession()); }

}  // namespace zarv
