#include "tools/batch/stored_circle.h"

#include <algorithm>
#include <string_view>

#include "app/formats/circle_text.h"
#include "toolkit/core/registry_store.h"

namespace nodalux::batch {
namespace {

// Where the desktop program keeps it: the value "circle" under
// HKEY_LOCAL_MACHINE\SOFTWARE\Quorvath\Nodalux, a text of 64 characters.
constexpr int kLocalMachine = 2;
constexpr std::string_view kSettingsKey = "SOFTWARE\\Quorvath\\Nodalux";
constexpr std::string_view kCircleValue = "circle";
constexpr std::size_t kCircleTextLength = 64;

bool IsStringType(int type) { return type == 1 || type == 2; }

// The value as the desktop program's 64-character text receives it: blank
// when the value is too long for it, a string cut at its NUL.
std::string CircleText(const zarv::RegistryValue& value) {
  std::string_view bytes = value.data;
  if (bytes.size() > kCircleTextLength + 1) return {};
  if (IsStringType(value.type)) bytes = bytes.substr(0, bytes.find('\0'));
  std::string text(bytes.substr(0, kCircleTextLength));
  text.resize(kCircleTextLength, ' ');
  return text;
}

}  // namespace

geo::Circle ReadStoredCircle(const std::string& store_path) {
  const zarv::RegistryStore store(store_path);
  zarv::RegistryValue value;
  std::string text;
  if (store.get(kLocalMachine, kSettingsKey, kCircleValue, &value) ==
      zarv::RegistryStore::Lookup::kFound) {
    text = CircleText(value);
  }
  return formats::StoredCircle(text);
}

}  // namespace nodalux::batch
