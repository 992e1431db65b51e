// IOsRegistryGet and IOsRegistryPut: registry values through the store.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/registry_store.h"

namespace {

constexpr std::array<std::string_view, 7> kRootKeys = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

struct KeyPath {
  int root = 0;
  std::string_view sub_key;
};

// Splits "ROOT\sub\key" at its first backslash; the root name must be one
// of the predefined keys, written exactly (trailing blanks aside).
std::optional<KeyPath> ParseKeyPath(std::string_view path) {
  const std::size_t slash = path.find('\\');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view root = zarv::Trimmed(path.substr(0, slash));
  const auto it = std::find(kRootKeys.begin(), kRootKeys.end(), root);
  if (it == kRootKeys.end()) return std::nullopt;
  return KeyPath{static_cast<int>(it - kRootKeys.begin()), zarv::Trimmed(path.substr(slash + 1))};
}

bool IsStringType(int type) { return type == 1 || type == 2; }

}  // namespace

void IOsRegistryGet(std::string_view key, zarv::TextSpan* text, std::string_view value_name,
                    int* type, int* length) {
  int out_type = -1;
  int out_length = 0;
  const auto finish = [&] {
    if (type) *type = out_type;
    if (length) *length = out_length;
  };
  if (text) text->clear();

  const auto path = ParseKeyPath(key);
  if (!path) {
    zarv::ReportError(1050, "IOsRegistryGet");
    return finish();
  }
  const zarv::RegistryStore store(zarv::RegistryStore::DefaultPath());
  zarv::RegistryValue value;
  switch (store.get(path->root, path->sub_key, zarv::Trimmed(value_name), &value)) {
    case zarv::RegistryStore::Lookup::kKeyMissing:
      return finish();
    case zarv::RegistryStore::Lookup::kValueMissing:
      out_type = -2;
      return finish();
    case zarv::RegistryStore::Lookup::kFound:
      break;
  }

  const std::size_t size = value.data.size();
  out_type = value.type;
  out_length = static_cast<int>(std::min<std::size_t>(size, INT32_MAX));
  if (IsStringType(value.type)) out_length = std::max(out_length - 1, 0);
  if (!text) return finish();

  if (size > text->size() + 1) {
    // The length still tells the full size; the text stays blank.
    zarv::ReportError(1023, "IOsRegistryGet");
    return finish();
  }
  std::string_view bytes(value.data);
  if (IsStringType(value.type)) {
    bytes = bytes.substr(0, std::min(bytes.find('\0'), text->size()));
  } else {
    bytes = bytes.substr(0, std::min(bytes.size(), text->size()));
  }
  text->assign(bytes);
  finish();
}

void IOsRegistryPut(std::string_view key, std::string_view data, std::string_view value_name,
                    int type) {
  const auto path = ParseKeyPath(key);
  if (!path) {
    zarv::ReportError(1050, "IOsRegistryPut");
    return;
  }
  zarv::RegistryValue value;
  value.type = type;
  value.data = std::string(data);
  if (IsStringType(type)) value.data += '\0';

  const zarv::RegistryStore store(zarv::RegistryStore::DefaultPath());
  if (const int error = store.put(path->root, path->sub_key, zarv::Trimmed(value_name), value)) {
    zarv::SetLastOsError(error);
    zarv::ReportError(13, "IOsRegistryPut");
  }
}

namespace zarv {

RegistryWriteGroup::RegistryWriteGroup() { RegistryStore::BeginWriteGroup(); }

RegistryWriteGroup::~RegistryWriteGroup() {
  // A write that failed inside the group has reported already; a commit
  // that failed at the end has not.
  if (const int error = RegistryStore::EndWriteGroup(); error != 0) {
    SetLastOsError(error);
    ReportError(13, "IOsRegistryPut");
  }
}

}  // namespace zarv
