// The per-user registry store: typed values under key paths, kept in an
// SQLite database. Every write is one transaction (or part of a write
// group's one transaction), so a second writer or a program killed
// mid-write never leaves a half-written value. A file that is damaged, or
// is somebody else's database, reads as empty and is never written to. A
// store in a folder the user may not write to is still read.
//
// The store stays open for the run; a child process opens its own.
#pragma once

#include <string>
#include <string_view>

namespace zarv {

struct RegistryValue {
  int type = 0;
  std::string data;  // the exact bytes stored
};

class RegistryStore {
 public:
  // $ZARVREGISTRY, else $XDG_CONFIG_HOME/zarvane/registry.sqlite, else
  // ~/.config/zarvane/registry.sqlite.
  static std::string DefaultPath();

  explicit RegistryStore(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  enum class Lookup { kKeyMissing, kValueMissing, kFound };
  // `root` is the index of the predefined key (0..6); `key` the sub-key
  // (backslash-separated, compared without regard to ASCII case, as are
  // value names). An unreadable store reads as kKeyMissing.
  Lookup get(int root, std::string_view key, std::string_view name, RegistryValue* value) const;

  // Creates the key (and the keys above it) and sets the value. Returns 0,
  // or the operating system's error number when the value was not stored.
  int put(int root, std::string_view key, std::string_view name, const RegistryValue& value) const;

  // Writes between these two form one transaction: all stored together at
  // the end, or none of them when one fails (that write, and every later
  // one, gives the error number). EndWriteGroup gives the error number when
  // the transaction could not be committed, else 0. Groups nest; the
  // outermost counts.
  static void BeginWriteGroup();
  static int EndWriteGroup();

  // Closes the run's connection (folding the write-ahead log into the
  // store when no other program has it open).
  static void Close();

 private:
  std::string path_;
};

}  // namespace zarv
