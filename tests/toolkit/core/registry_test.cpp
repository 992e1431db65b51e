// The registry routines and the store underneath them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <random>
#include <string>

#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/registry_store.h"
#include "toolkit/core/text.h"

namespace zarv {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;

constexpr std::string_view kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath\\Nodalux";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearErrors(); }
  void TearDown() override { test::ClearErrors(); }

  TempDir dir_;
  std::string store_ = dir_ / "registry.sqlite";
  ScopedEnv env_{"ZARVREGISTRY", store_};
};

struct Read {
  std::string text;
  int type = 0;
  int length = 0;
};

template <std::size_t N>
Read Get(std::string_view key, std::string_view name) {
  Text<N> text("garbage that must go");
  TextSpan span = text;
  Read r;
  IOsRegistryGet(key, &span, name, &r.type, &r.length);
  r.text = std::string(text.view());
  return r;
}

TEST_F(RegistryTest, MissingKeyAndMissingValueReadAsBlankWithoutReport) {
  Read r = Get<64>(kKey, "circle");
  EXPECT_EQ(r.type, -1);
  EXPECT_EQ(r.length, 0);
  EXPECT_EQ(r.text, std::string(64, ' '));
  EXPECT_FALSE(std::filesystem::exists(store_)) << "a read must not create the store";

  IOsRegistryPut(kKey, Text<256>("/home/u/poi/cameras.ov2"), "input_file");
  EXPECT_EQ(InfoStatus(1), 0);
  r = Get<64>(kKey, "circle");
  EXPECT_EQ(r.type, -2);
  EXPECT_EQ(r.length, 0);
  EXPECT_EQ(r.text, std::string(64, ' '));
  EXPECT_EQ(InfoStatus(1), 0);
}

TEST_F(RegistryTest, DefaultValueWithoutANameIsWrittenAndRead) {
  IOsRegistryPut(kKey, Text<16>("the default"));
  EXPECT_EQ(InfoStatus(1), 0);
  IOsRegistryPut(kKey, Text<16>("named"), "circle");
  Read r = Get<16>(kKey, "");
  EXPECT_EQ(r.type, 1);
  EXPECT_EQ(r.length, 16);
  EXPECT_EQ(r.text, "the default     ");
  // Blanks after a name are no part of it: "   " is the default value too.
  EXPECT_EQ(Get<16>(kKey, "   ").text, "the default     ");
  EXPECT_EQ(Trimmed(Get<16>(kKey, "circle").text), "named");
  EXPECT_EQ(InfoStatus(1), 0);
}

// Runs `check` as a user who may read the store but not write in its
// folder, and returns whether it held: as root in a child that has become
// "nobody" (root may write anywhere), else with the folder's write bits
// taken away for the while.
bool AsReaderWithoutWriteAccess(const std::string& folder, const std::function<bool()>& check) {
  if (::geteuid() != 0) {
    ::chmod(folder.c_str(), 0555);
    const bool held = check();
    ::chmod(folder.c_str(), 0755);
    return held;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(2);
    std::_Exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(RegistryTest, AStoreInAFolderTheUserCannotWriteIsStillRead) {
  IOsRegistryPut(kKey, Text<64>("  51.47604,   0.00000, 30.00"), "circle");
  IOsRegistryPut(kKey, Text<8>("default"));
  ASSERT_EQ(InfoStatus(1), 0);
  const auto reads_both = [] {
    const bool ok = Trimmed(Get<64>(kKey, "circle").text) == "  51.47604,   0.00000, 30.00" &&
                    Trimmed(Get<8>(kKey, "").text) == "default";
    // And a write there fails with a report instead of passing as done.
    IOsRegistryPut(kKey, Text<8>("x"), "other");
    return ok && InfoStatus(1) == 13;
  };
  ASSERT_EQ(::chmod(dir_.str().c_str(), 0755), 0);
  // While this program still has the store open (its log beside it)...
  ASSERT_TRUE(std::filesystem::exists(store_ + "-wal"));
  EXPECT_TRUE(AsReaderWithoutWriteAccess(dir_.str(), reads_both));
  // ... and after the log has been folded into the store.
  RegistryStore::Close();
  ASSERT_FALSE(std::filesystem::exists(store_ + "-wal"));
  EXPECT_TRUE(AsReaderWithoutWriteAccess(dir_.str(), reads_both));
}

TEST_F(RegistryTest, AWriteGroupStoresAllOrNothing) {
  {
    const RegistryWriteGroup group;
    IOsRegistryPut(kKey, Text<8>("one"), "a");
    IOsRegistryPut(kKey, Text<8>("two"), "b");
    // Not visible to another program before the group ends.
    const pid_t pid = ::fork();
    if (pid == 0) std::_Exit(Get<8>(kKey, "a").type == -1 ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Trimmed(Get<8>(kKey, "a").text), "one");
  EXPECT_EQ(Trimmed(Get<8>(kKey, "b").text), "two");

  // A write that fails inside a group takes the others with it.
  const std::string elsewhere = dir_ / "elsewhere";
  {
    const RegistryWriteGroup group;
    IOsRegistryPut(kKey, Text<8>("three"), "a");
    std::filesystem::create_directory(elsewhere);
    {
      ScopedEnv env("ZARVREGISTRY", elsewhere);  // a folder: cannot be written
      IOsRegistryPut(kKey, Text<8>("four"), "b");
      EXPECT_EQ(InfoStatus(1), 13);
    }
    IOsRegistryPut(kKey, Text<8>("five"), "b");
    EXPECT_EQ(InfoStatus(1), 13);
  }
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Trimmed(Get<8>(kKey, "a").text), "one");
  EXPECT_EQ(Trimmed(Get<8>(kKey, "b").text), "two");
}

TEST_F(RegistryTest, StringKeepsItsDeclaredLengthPlusNul) {
  const Text<64> circle("51.50000N   0.12000W  25.00");
  IOsRegistryPut(kKey, circle, "circle");
  ASSERT_EQ(InfoStatus(1), 0);

  RegistryValue raw;
  ASSERT_EQ(RegistryStore(store_).get(2, "SOFTWARE\\Quorvath\\Nodalux", "circle", &raw),
            RegistryStore::Lookup::kFound);
  EXPECT_EQ(raw.type, 1);
  EXPECT_EQ(raw.data, std::string(circle.view()) + '\0');

  Read r = Get<64>(kKey, "circle  ");
  EXPECT_EQ(r.type, 1);
  EXPECT_EQ(r.length, 64);
  EXPECT_EQ(r.text, std::string(circle.view()));
  EXPECT_EQ(InfoStatus(1), 0);

  r = Get<256>(kKey, "circle");
  EXPECT_EQ(r.length, 64);
  EXPECT_EQ(Trimmed(r.text), circle.trimmed());

  // Too small a text: 1023, and the length still tells the full size.
  r = Get<10>(kKey, "circle");
  EXPECT_EQ(InfoStatus(1), 1023);
  EXPECT_EQ(r.type, 1);
  EXPECT_EQ(r.length, 64);

  // Without a text only the type and the size are asked for.
  int type = 0, length = 0;
  IOsRegistryGet(kKey, nullptr, "circle", &type, &length);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(length, 64);
  EXPECT_EQ(InfoStatus(1), 0);
}

TEST_F(RegistryTest, OtherTypesKeepTheirRawBytes) {
  IOsRegistryPut(kKey, std::string_view("ab\0cd", 5), "blob", 3);
  IOsRegistryPut(kKey, std::string_view("\x01\x02\x00\x00", 4), "number", 4);
  IOsRegistryPut(kKey, "%HOME%/poi", "", 2);
  ASSERT_EQ(InfoStatus(1), 0);

  Read r = Get<8>(kKey, "blob");
  EXPECT_EQ(r.type, 3);
  EXPECT_EQ(r.length, 5);
  EXPECT_EQ(r.text.substr(0, 5), std::string("ab\0cd", 5));
  r = Get<4>(kKey, "number");
  EXPECT_EQ(r.type, 4);
  EXPECT_EQ(r.text, std::string("\x01\x02\x00\x00", 4));
  r = Get<16>(kKey, "");
  EXPECT_EQ(r.type, 2);
  EXPECT_EQ(r.length, 10);
  EXPECT_EQ(Trimmed(r.text), "%HOME%/poi");
}

TEST_F(RegistryTest, KeysAreMadeWithTheirParentsAndMatchedWithoutCase) {
  IOsRegistryPut(kKey, "x", "input_file");
  EXPECT_EQ(Get<8>("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvath", "input_file").type, -2);
  EXPECT_EQ(Get<8>("HKEY_LOCAL_MACHINE\\SOFTWARE", "input_file").type, -2);
  EXPECT_EQ(Get<8>("HKEY_LOCAL_MACHINE\\software\\QUORVATH\\nodalux", "INPUT_FILE").type, 1);
  EXPECT_EQ(Get<8>("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other", "input_file").type, -1);
  // Each predefined key has its own tree; trailing blanks of the root are ignored.
  EXPECT_EQ(Get<8>("HKEY_CURRENT_USER\\SOFTWARE\\Quorvath\\Nodalux", "input_file").type, -1);
  EXPECT_EQ(Get<8>("HKEY_LOCAL_MACHINE  \\SOFTWARE\\Quorvath\\Nodalux  ", "input_file").type, 1);
  EXPECT_EQ(InfoStatus(1), 0);

  // A newer value replaces the older one.
  IOsRegistryPut(kKey, "yz", "input_file");
  EXPECT_EQ(Trimmed(Get<8>(kKey, "input_file").text), "yz");
}

TEST_F(RegistryTest, BadKeyPathsReport1050AndTouchNothing) {
  for (std::string_view path : {"HKEY_LOCAL_MACHINE", "hkey_local_machine\\SOFTWARE",
                                "HKEY_LOCAL\\SOFTWARE", "\\SOFTWARE", " HKEY_USERS\\x", ""}) {
    Read r = Get<8>(path, "v");
    EXPECT_EQ(InfoStatus(1), 1050) << path;
    EXPECT_EQ(r.type, -1);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.text, std::string(8, ' '));
    IOsRegistryPut(path, "data", "v");
    EXPECT_EQ(InfoStatus(1), 1050) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(store_));
  // Every predefined name is accepted.
  for (std::string_view root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                "HKEY_USERS", "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                "HKEY_DYN_DATA"}) {
    IOsRegistryPut(std::string(root) + "\\K", std::string(root), "v");
    EXPECT_EQ(InfoStatus(1), 0) << root;
    EXPECT_EQ(Trimmed(Get<32>(std::string(root) + "\\K", "v").text), root);
  }
}

TEST_F(RegistryTest, StoreLocationFromTheEnvironment) {
  {
    ScopedEnv x("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(RegistryStore::DefaultPath(), store_);
  }
  ::unsetenv("ZARVREGISTRY");
  {
    ScopedEnv x("XDG_CONFIG_HOME", dir_ / "deep/config");
    EXPECT_EQ(RegistryStore::DefaultPath(), dir_ / "deep/config/zarvane/registry.sqlite");
    // Missing folders are made on the first write.
    IOsRegistryPut(kKey, "v", "circle");
    EXPECT_EQ(InfoStatus(1), 0);
    EXPECT_EQ(Get<4>(kKey, "circle").type, 1);
  }
  {
    ScopedEnv x("XDG_CONFIG_HOME", "");
    ScopedEnv h("HOME", "/home/someone");
    EXPECT_EQ(RegistryStore::DefaultPath(), "/home/someone/.config/zarvane/registry.sqlite");
  }
}

// A store that is not ours reads as empty and is never written to.
void ExpectUntouchable(const std::string& path, const std::string& before) {
  Read r = Get<16>(kKey, "circle");
  EXPECT_EQ(r.type, -1);
  EXPECT_EQ(InfoStatus(1), 0) << "reading reports nothing";
  IOsRegistryPut(kKey, "new value", "circle");
  EXPECT_EQ(InfoStatus(1), 13);
  EXPECT_NE(InfoStatus(3), 0);
  EXPECT_EQ(ReadFile(path), before) << "the file must stay as it was";
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

TEST_F(RegistryTest, GarbageFileIsNeverOverwritten) {
  std::string garbage = "This is not a database, but a user's notes.\n";
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>(rng());
  test::WriteFile(store_, garbage);
  ExpectUntouchable(store_, garbage);
}

TEST_F(RegistryTest, ForeignDatabaseIsNeverOverwritten) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(store_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE contacts(name TEXT, phone TEXT);"
                         "INSERT INTO contacts VALUES('Ada', '123');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ExpectUntouchable(store_, ReadFile(store_));
}

TEST_F(RegistryTest, UnwritableStoreReports13) {
  std::filesystem::create_directory(store_);
  IOsRegistryPut(kKey, "v", "circle");
  EXPECT_EQ(InfoStatus(1), 13);
  EXPECT_EQ(InfoStatus(3), EISDIR);
  EXPECT_EQ(Get<4>(kKey, "circle").type, -1);
}

// The value a writer puts in round `k`: 256 copies of one letter.
std::string RoundValue(int k) { return std::string(256, static_cast<char>('A' + k % 26)); }

bool IsRoundValue(const std::string& s) {
  return s.size() == 256 && s[0] >= 'A' && s[0] <= 'Z' && s == std::string(256, s[0]);
}

TEST_F(RegistryTest, WriterKilledMidWriteLeavesOldOrNewValue) {
  std::mt19937 rng(12345);
  int seen_values = 0;
  for (int round = 0; round < 30; ++round) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int k = round;; ++k) {
        IOsRegistryPut(kKey, Text<256>(RoundValue(k)), "input_file");
        IOsRegistryPut(kKey, Text<64>(RoundValue(k + 1)), "circle");
      }
    }
    ::usleep(1000 + rng() % 30000);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    Read r = Get<256>(kKey, "input_file");
    if (r.type == -1 || r.type == -2) continue;  // killed before the first commit
    ++seen_values;
    EXPECT_EQ(r.type, 1);
    EXPECT_EQ(r.length, 256);
    EXPECT_TRUE(IsRoundValue(r.text)) << "round " << round << ": " << r.text;
    EXPECT_EQ(InfoStatus(1), 0);
  }
  EXPECT_GT(seen_values, 20);
  IOsRegistryPut(kKey, "after", "circle");
  EXPECT_EQ(InfoStatus(1), 0);
  EXPECT_EQ(Trimmed(Get<64>(kKey, "circle").text), "after");
}

TEST_F(RegistryTest, TwoWritersAtOnceLoseNothing) {
  constexpr int kRounds = 100;
  pid_t pids[2];
  for (int w = 0; w < 2; ++w) {
    pids[w] = ::fork();
    ASSERT_GE(pids[w], 0);
    if (pids[w] == 0) {
      int failures = 0;
      for (int k = 0; k < kRounds; ++k) {
        IOsRegistryPut(kKey, "writer " + std::to_string(w), "w" + std::to_string(w) + "_" + std::to_string(k));
        IOsRegistryPut(kKey, RoundValue(k), "shared");
        if (InfoStatus(1) != 0) ++failures;
      }
      std::_Exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < 2; ++w) {
    for (int k = 0; k < kRounds; ++k) {
      EXPECT_EQ(Trimmed(Get<16>(kKey, "w" + std::to_string(w) + "_" + std::to_string(k)).text),
                "writer " + std::to_string(w));
    }
  }
  EXPECT_TRUE(IsRoundValue(Get<256>(kKey, "shared").text.substr(0, 256)));
}

}  // namespace
}  // namespace zarv
