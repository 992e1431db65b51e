// The per-user registry store: typed values under key paths, kept in an
// SQLite database. Every write is one transaction, so a second writer or a
// program killed mid-write never leaves a half-written value. A file that
// is damaged, or is somebody else's database, reads as empty and is never
// written to.
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

 private:
  std::string path_;
};

}  // namespace zarv
