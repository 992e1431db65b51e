// Library error reporting: the report line, the reporting modes, the status
// words and the abnormal exit.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/toolkit/core/os_test_support.h"
#include "toolkit/core/errors.h"

namespace zarv {
namespace {

using test::ReadFile;
using test::TempDir;

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ClearErrors(); }
  void TearDown() override {
    SetReportingMode(0);
    SetReportSinks({});
    SetLastOsError(0);
    SetLastZlibResult(0);
    test::ClearErrors();
  }
};

struct LineCase {
  int code;
  const char* line;
};

// Every entry of both message tables, as a whole report line.
const LineCase kTableLines[] = {
    {1, "Routine:WTestRoutine Error=   1:Error opening file or device"},
    {2, "Routine:WTestRoutine Error=   2:Error reading/writing file or device"},
    {3, "Routine:WTestRoutine Error=   3:Error closing file or device"},
    {4, "Routine:WTestRoutine Error=   4:Number too large in string to numeric conversion"},
    {5, "Routine:WTestRoutine Error=   5:Graphics not supported on requested printer"},
    {10, "Routine:WTestRoutine Error=  10:No substring found"},
    {11, "Routine:WTestRoutine Error=  11:More than one decimal point in number"},
    {12, "Routine:WTestRoutine Error=  12:Invalid character detected"},
    {16, "Routine:WTestRoutine Error=  16:X or Y graphics unit range is invalid"},
    {18, "Routine:WTestRoutine Error=  18:Numeric to string conversion error"},
    {20, "Routine:WTestRoutine Error=  20:Circle/ellipse radius <=0, height ratio<=0 or arc angle=0"},
    {21, "Routine:WTestRoutine Error=  21:Length of axis-parallel side of a parallelogram is =<0"},
    {22, "Routine:WTestRoutine Error=  22:Width/height=0 for a rectangle/triangle/parallelogram"},
    {23, "Routine:WTestRoutine Error=  23:No program name specified to IOsExecute"},
    {24, "Routine:WTestRoutine Error=  24:Too many data values specified for a stacked plot"},
    {25, "Routine:WTestRoutine Error=  25:Too many bytes in char set during conversion from ASCII"},
    {27, "Routine:WTestRoutine Error=  27:Image file format not supported"},
    {28, "Routine:WTestRoutine Error=  28:Borders cross in simple polygon definition"},
    {34, "Routine:WTestRoutine Error=  34:Requested page size too large for raster image buffer"},
    {40, "Routine:WTestRoutine Error=  40:Number of files matched by IOsDirInfo/List exceeds array size"},
    {42, "Routine:WTestRoutine Error=  42:Unknown colour name/number specified to IGrColour/IGrColourN"},
    {43, "Routine:WTestRoutine Error=  43:Contour heights must increase monotonically"},
    {44, "Routine:WTestRoutine Error=  44:Invalid X and/or Y range in IGrArea/IGrViewport/IGrReplayArea"},
    {46, "Routine:WTestRoutine Error=  46:No graphics hardcopy driver currently selected"},
    {49, "Routine:WTestRoutine Error=  49:Fill too complex in IGrPolygonComplex"},
    {51, "Routine:WTestRoutine Error=  51:A search box contains too many points in IPgXYZToGrid"},
    {54, "Routine:WTestRoutine Error=  54:Mismatched driver/device in hardcopy options file"},
    {55, "Routine:WTestRoutine Error=  55:Source and target file names same in copy command"},
    {58, "Routine:WTestRoutine Error=  58:Min value greater than max value in IPgHighLow"},
    {63, "Routine:WTestRoutine Error=  63:Windows printer not available"},
    {64, "Routine:WTestRoutine Error=  64:Bit image transfer failed in IGrPrintImage"},
    {66, "Routine:WTestRoutine Error=  66:Invalid character code in WGrTextWidth"},
    {1001, "Routine:WTestRoutine Error=1001:Invalid menu item"},
    {1002, "Routine:WTestRoutine Error=1002:Unable to load menu from resource"},
    {1003, "Routine:WTestRoutine Error=1003:Invalid window handle"},
    {1004, "Routine:WTestRoutine Error=1004:General error in common dialog"},
    {1005, "Routine:WTestRoutine Error=1005:No dialogs currently loaded"},
    {1006, "Routine:WTestRoutine Error=1006:Invalid field identifier"},
    {1007, "Routine:WTestRoutine Error=1007:Unable to load dialog from resource"},
    {1008, "Routine:WTestRoutine Error=1008:Unable to select specified dialog"},
    {1009, "Routine:WTestRoutine Error=1009:Attempt to store an out of range dialog field value"},
    {1010, "Routine:WTestRoutine Error=1010:Field value undefined"},
    {1011, "Routine:WTestRoutine Error=1011:Option number out of range or invalid item ID"},
    {1012, "Routine:WTestRoutine Error=1012:Invalid tab number specified"},
    {1013, "Routine:WTestRoutine Error=1013:Invalid range specified for progress bar"},
    {1014, "Routine:WTestRoutine Error=1014:Invalid dialog mode requested"},
    {1015, "Routine:WTestRoutine Error=1015:Invalid bitmap/icon identifier"},
    {1016, "Routine:WTestRoutine Error=1016:Unable to display window/dialog. Parent window hidden"},
    {1017, "Routine:WTestRoutine Error=1017:Cell co-ordinates out of range"},
    {1018, "Routine:WTestRoutine Error=1018:Too many rows for grid field to hold"},
    {1019, "Routine:WTestRoutine Error=1019:Invalid target drawing surface"},
    {1020, "Routine:WTestRoutine Error=1020:Bitmap creation failed"},
    {1021, "Routine:WTestRoutine Error=1021:Invalid bitmap handle"},
    {1022, "Routine:WTestRoutine Error=1022:Only child windows can be converted into editors or viewers"},
    {1023, "Routine:WTestRoutine Error=1023:Variable too small to receive text"},
    {1024, "Routine:WTestRoutine Error=1024:Invalid editor mode requested"},
    {1025, "Routine:WTestRoutine Error=1025:Editor can't have menu in InsideParent child window"},
    {1026, "Routine:WTestRoutine Error=1026:User menu not supported with modal editor or grid window"},
    {1027, "Routine:WTestRoutine Error=1027:General problem initializing editor"},
    {1028, "Routine:WTestRoutine Error=1028:Current window is not a text editor"},
    {1029, "Routine:WTestRoutine Error=1029:Invalid range specified for trackbar"},
    {1030, "Routine:WTestRoutine Error=1030:General help viewer error"},
    {1031, "Routine:WTestRoutine Error=1031:Not a valid help file extension"},
    {1032, "Routine:WTestRoutine Error=1032:Editor does not have a command line"},
    {1033, "Routine:WTestRoutine Error=1033:Editor can't have command line in InsideParent child window"},
    {1034, "Routine:WTestRoutine Error=1034:External process timed out before completion"},
    {1035, "Routine:WTestRoutine Error=1035:Failed to enable OpenGL graphics"},
    {1036, "Routine:WTestRoutine Error=1036:Can't destroy bitmap while in use by bitmap viewer"},
    {1037, "Routine:WTestRoutine Error=1037:Specified bitmap is already in use"},
    {1038, "Routine:WTestRoutine Error=1038:Child window is already converted to a different type"},
    {1039, "Routine:WTestRoutine Error=1039:Invalid bitmap viewer mode requested"},
    {1040, "Routine:WTestRoutine Error=1040:General problem initializing bitmap viewer"},
    {1041, "Routine:WTestRoutine Error=1041:X server modal dialog/window pixmap resources are low"},
    {1042, "Routine:WTestRoutine Error=1042:X server modal dialog/window pixmap resources are exhausted"},
    {1043, "Routine:WTestRoutine Error=1043:Invalid bitmap bitwise mode requested"},
    {1045, "Routine:WTestRoutine Error=1045:Specified dialog has wrong style to be combined with a window"},
    {1046, "Routine:WTestRoutine Error=1046:Parent window is combined with a dialog"},
    {1047, "Routine:WTestRoutine Error=1047:Current dialog which is combined with a window"},
    {1048, "Routine:WTestRoutine Error=1048:Item identifier already exists in treeview field"},
    {1049, "Routine:WTestRoutine Error=1049:Treeview item is not a branch"},
    {1050, "Routine:WTestRoutine Error=1050:Invalid pre-defined registry key"},
    {1051, "Routine:WTestRoutine Error=1051:Grid window can't have menu in InsideParent child window"},
    {1052, "Routine:WTestRoutine Error=1052:Invalid grid window mode requested"},
    {1053, "Routine:WTestRoutine Error=1053:General problem initializing grid window"},
    {1054, "Routine:WTestRoutine Error=1054:Data file contains more row or columns than grid field"},
    {1055, "Routine:WTestRoutine Error=1055:Unable to match value from file with menu cell option"},
    {1056, "Routine:WTestRoutine Error=1056:Parent window is converted to a special type"},
    {1057, "Routine:WTestRoutine Error=1057:Cannot convert window when InsideParent windows exist"},
    {1058, "Routine:WTestRoutine Error=1058:No name specified for user-defined font"},
    {1059, "Routine:WTestRoutine Error=1059:Metafile creation failed"},
    {1060, "Routine:WTestRoutine Error=1060:Invalid metafile handle"},
    {1061, "Routine:WTestRoutine Error=1061:Unsupported metafile format"},
    {1062, "Routine:WTestRoutine Error=1062:CGM memory metafile full"},
    {1063, "Routine:WTestRoutine Error=1063:Cannot save image when drawable is a metafile"},
    {1064, "Routine:WTestRoutine Error=1064:Cannot print image when drawable is a metafile"},
    {1065, "Routine:WTestRoutine Error=1065:Bitmap operation on memory metafile not allowed"},
    {1066, "Routine:WTestRoutine Error=1066:Error during bitmap put/get operation"},
    {1067, "Routine:WTestRoutine Error=1067:Invalid editor buffer"},
    {1068, "Routine:WTestRoutine Error=1068:No more editor buffers available"},
    {1069, "Routine:WTestRoutine Error=1069:Cannot hide or unload a sub-dialog"},
    {1070, "Routine:WTestRoutine Error=1070:Cannot set format in non-RTF editor window"},
    {1071, "Routine:WTestRoutine Error=1071:Graphical input not allowed in memory bitmap/metafile"},
    {1072, "Routine:WTestRoutine Error=1072:API error during bit image save"},
    {1073, "Routine:WTestRoutine Error=1073:3D model vertex limit exceeded. Increase MAXVERTEX."},
    {1074, "Routine:WTestRoutine Error=1074:3D model facet limit exceeded. Increase MAXFACET."},
    {1075, "Routine:WTestRoutine Error=1075:3D model material number invalid"},
    {1076, "Routine:WTestRoutine Error=1076:3D model workspace full. Increase MAXWORK."},
    {1077, "Routine:WTestRoutine Error=1077:3D model internal error: Workspace empty."},
    {1078, "Routine:WTestRoutine Error=1078:Unsupported 3D model file format"},
    {1079, "Routine:WTestRoutine Error=1079:Insufficient space to add data from 3D model file"},
    {1080, "Routine:WTestRoutine Error=1080:Unable to add one or more materials from a 3D model file"},
    {1081, "Routine:WTestRoutine Error=1081:ZARVAX.DLL not found"},
    {1082, "Routine:WTestRoutine Error=1082:MAPI32.DLL not found. Unable to send e-mail"},
    {1083, "Routine:WTestRoutine Error=1083:Error invoking e-mail program"},
    {1084, "Routine:WTestRoutine Error=1084:Error encoding e-mail attachments"},
    {1085, "Routine:WTestRoutine Error=1085:At least one e-mail recipient must be specified"},
    {1086, "Routine:WTestRoutine Error=1086:Unsupported or invalid .wav sound file"},
};

TEST_F(ErrorsTest, EveryTableEntryGivesItsWholeLine) {
  for (const LineCase& c : kTableLines) {
    EXPECT_EQ(ErrorReportLine(c.code, "WTestRoutine"), c.line) << "code " << c.code;
  }
}

TEST_F(ErrorsTest, CodesWithoutEntryEndWithTheColon) {
  const LineCase cases[] = {
      {6, "Routine:WTestRoutine Error=   6:"},
      {67, "Routine:WTestRoutine Error=  67:"},
      {1000, "Routine:WTestRoutine Error=1000:"},
      {1087, "Routine:WTestRoutine Error=1087:"},
      {0, "Routine:WTestRoutine Error=   0:"},
      {-5, "Routine:WTestRoutine Error=  -5:"},
      {12345, "Routine:WTestRoutine Error=****:"},
  };
  for (const LineCase& c : cases) EXPECT_EQ(ErrorReportLine(c.code, "WTestRoutine"), c.line);
}

TEST_F(ErrorsTest, RoutineNamePrefixAndTrailingBlanks) {
  EXPECT_EQ(ErrorReportLine(1005, "YYDialogCheck  "),
            "Internal routine:YYDialogCheck Error=1005:No dialogs currently loaded");
  EXPECT_EQ(ErrorReportLine(1005, "yyhelper"),
            "Internal routine:yyhelper Error=1005:No dialogs currently loaded");
  EXPECT_EQ(ErrorReportLine(1005, "Yyhelper"), "Routine:Yyhelper Error=1005:No dialogs currently loaded");
  EXPECT_EQ(ErrorReportLine(1002, "WMenuToolbar"),
            "Routine:WMenuToolbar Error=1002:Unable to load menu from resource");
}

TEST_F(ErrorsTest, OperatingSystemAndZlibTextsAreAppended) {
  SetLastOsError(ENOENT);
  EXPECT_EQ(ErrorReportLine(13, "IOsDeleteFile"),
            "Routine:IOsDeleteFile Error=  13:Operating system error: No such file or directory");
  SetLastZlibResult(Z_DATA_ERROR);
  EXPECT_EQ(ErrorReportLine(1044, "WBitmapLoad"),
            "Routine:WBitmapLoad Error=1044:Zlib compression/decompression error: data error");
  SetLastZlibResult(Z_VERSION_ERROR);
  EXPECT_EQ(ErrorReportLine(1044, "WBitmapLoad"),
            "Routine:WBitmapLoad Error=1044:Zlib compression/decompression error: incompatible version");
  // A return code outside zlib's table adds no text, and reads nothing wild.
  SetLastZlibResult(99);
  EXPECT_EQ(ErrorReportLine(1044, "WBitmapLoad"),
            "Routine:WBitmapLoad Error=1044:Zlib compression/decompression error:");
  // The other codes never carry the operating system's text.
  SetLastOsError(EACCES);
  EXPECT_EQ(ErrorReportLine(55, "IOsCopyFile"),
            "Routine:IOsCopyFile Error=  55:Source and target file names same in copy command");
}

TEST_F(ErrorsTest, TheLineIsCutAtTwoHundredCharacters) {
  SetLastOsError(ENOENT);
  // 42 characters besides the name: a name of 156 leaves 2 free positions,
  // too few for the operating system's text; 155 leaves 3.
  const std::string full(156, 'N');
  EXPECT_EQ(ErrorReportLine(13, full), "Routine:" + full + " Error=  13:Operating system error");
  const std::string fits(155, 'N');
  EXPECT_EQ(ErrorReportLine(13, fits), "Routine:" + fits + " Error=  13:Operating system error: N");

  const std::string huge(300, 'H');
  const std::string line = ErrorReportLine(1002, huge);
  EXPECT_EQ(line.size(), 200u);
  EXPECT_EQ(line, "Routine:" + std::string(192, 'H'));
}

TEST_F(ErrorsTest, StatusWordsAndTheirResetRules) {
  EXPECT_EQ(InfoStatus(1), 0);
  ReportError(1006, "WDialogPutInteger");
  EXPECT_EQ(InfoStatus(1), 1006);
  EXPECT_EQ(InfoStatus(1), 0);

  SetLastOsError(ENOENT);
  EXPECT_EQ(InfoStatus(3), ENOENT);
  EXPECT_EQ(InfoStatus(3), 0);

  SetReportingMode(3);
  EXPECT_EQ(InfoStatus(4), 3);
  EXPECT_EQ(InfoStatus(4), 3);
  SetReportingMode(5);
  SetReportingMode(-1);
  EXPECT_EQ(InfoStatus(4), 3);
  EXPECT_EQ(InfoStatus(2), 0);
  EXPECT_EQ(InfoStatus(5), 0);
}

TEST_F(ErrorsTest, ModeFromTheFirstCharacterOfTheEnvironmentVariable) {
  struct Case {
    const char* value;
    int mode;
  };
  const Case cases[] = {{"3", 3}, {"2xyz", 2}, {"9", 2}, {"x1", 2}, {"", 2}, {"0", 0}, {"4", 4}};
  SetReportingMode(2);
  int expected = 2;
  for (const Case& c : cases) {
    test::ScopedEnv env("ZARVDEBUG", c.value);
    SetReportingModeFromEnvironment();
    expected = c.mode;
    EXPECT_EQ(InfoStatus(4), expected) << "ZARVDEBUG=" << c.value;
  }
}

TEST_F(ErrorsTest, ModeZeroOnlyRecords) {
  int shown = 0;
  SetReportSinks({[&](std::string_view) { ++shown; }, [&](std::string_view) { return ++shown, true; },
                  nullptr});
  testing::internal::CaptureStdout();
  ReportError(1023, "IOsVariable");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(InfoStatus(1), 1023);
}

TEST_F(ErrorsTest, ModeOneWritesAListDirectedLine) {
  SetReportingMode(1);
  testing::internal::CaptureStdout();
  ReportError(1023, "IOsVariable");
  ReportError(6, "WThing  ");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " Routine:IOsVariable Error=1023:Variable too small to receive text\n"
            " Routine:WThing Error=   6:\n");
  EXPECT_EQ(InfoStatus(1), 6);
}

TEST_F(ErrorsTest, ModeThreeSetsTheStatusBar) {
  std::vector<std::string> lines;
  SetReportSinks({[&](std::string_view l) { lines.emplace_back(l); }, nullptr, nullptr});
  SetReportingMode(3);
  ReportError(1034, "IOsCommand");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Routine:IOsCommand Error=1034:External process timed out before completion");
}

TEST_F(ErrorsTest, ModeFourOkReturnsAndNestedFailuresAreOnlyRecorded) {
  std::vector<std::string> boxes;
  SetReportSinks({nullptr,
                  [&](std::string_view l) {
                    boxes.emplace_back(l);
                    // The mode is 0 while the box is up; a failure here must
                    // not open a second box.
                    EXPECT_EQ(InfoStatus(4), 0);
                    ReportError(1004, "WMessageBox");
                    return true;
                  },
                  nullptr});
  SetReportingMode(4);
  ReportError(1030, "WHelpShow");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Routine:WHelpShow Error=1030:General help viewer error");
  EXPECT_EQ(InfoStatus(4), 4);
  EXPECT_EQ(InfoStatus(1), 1030);
}

TEST_F(ErrorsTest, ModeFourCancelEndsTheProcessWithStatusZero) {
  SetReportSinks({nullptr,
                  [](std::string_view l) {
                    std::fprintf(stderr, "box: %.*s\n", static_cast<int>(l.size()), l.data());
                    return false;
                  },
                  [](std::string_view) { std::fprintf(stderr, "unexpected abnormal box\n"); }});
  SetReportingMode(4);
  EXPECT_EXIT(
      {
        ReportError(1031, "WHelpShow");
        std::fprintf(stderr, "returned\n");
        std::_Exit(9);
      },
      testing::ExitedWithCode(0), "box: Routine:WHelpShow Error=1031:Not a valid help file extension\n$");
}

TEST_F(ErrorsTest, AbnormalExitShowsItsBoxThenExits) {
  EXPECT_EQ(AbnormalExitText("Out of memory   ", 3), "Abnormal exit (code 3) : Out of memory");
  EXPECT_EQ(AbnormalExitText("x", -12), "Abnormal exit (code -12) : x");
  EXPECT_EQ(AbnormalExitText("x", 123456), "Abnormal exit (code ****) : x");

  SetReportSinks({nullptr, nullptr, [](std::string_view t) {
                    std::fprintf(stderr, "[Zarvane] %.*s\n", static_cast<int>(t.size()), t.data());
                  }});
  EXPECT_EXIT(AbnormalExit("Out of memory", 3), testing::ExitedWithCode(3),
              "^\\[Zarvane\\] Abnormal exit \\(code 3\\) : Out of memory\n$");
  // A blank message ends the process without a box.
  EXPECT_EXIT(AbnormalExit("   ", 4), testing::ExitedWithCode(4), "^$");
  // With no window yet the text goes to standard error rather than nowhere.
  SetReportSinks({});
  EXPECT_EXIT(AbnormalExit("No display", 1), testing::ExitedWithCode(1),
              "Abnormal exit \\(code 1\\) : No display");
}

// Mode 2, in a child process so each case starts with no log open.
struct LogCase {
  std::vector<const char*> blocked;  // names taken by folders
  const char* written;               // nullptr: no log can be made
};

TEST_F(ErrorsTest, ModeTwoWritesTheFirstDebugLogItCanCreate) {
  const LogCase cases[] = {
      {{}, "debug"},
      {{"debug"}, "debug.txt"},
      {{"debug", "debug.txt"}, "debug.dat"},
      {{"debug", "debug.txt", "debug.dat"}, nullptr},
  };
  for (const LogCase& c : cases) {
    TempDir dir;
    for (const char* name : c.blocked) std::filesystem::create_directory(dir.path() / name);
    test::WriteFile(dir / "debug.old", "");
    EXPECT_EXIT(
        {
          test::ScopedCwd cwd(dir.path());
          SetReportingMode(2);
          SetLastOsError(ENOENT);
          ReportError(13, "IOsDeleteFile");
          ReportError(1023, "IOsDirName");
          std::_Exit(InfoStatus(1) == 1023 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    if (!c.written) {
      for (const char* name : c.blocked) EXPECT_TRUE(std::filesystem::is_directory(dir.path() / name));
      continue;
    }
    EXPECT_EQ(ReadFile(dir / c.written),
              "Routine:IOsDeleteFile Error=  13:Operating system error: No such file or directory\r\n"
              "Routine:IOsDirName Error=1023:Variable too small to receive text\r\n")
        << c.written;
  }
}

TEST_F(ErrorsTest, ModeTwoOverwritesAnOlderLogOncePerRun) {
  TempDir dir;
  test::WriteFile(dir / "debug", "old run\r\n");
  EXPECT_EXIT(
      {
        test::ScopedCwd cwd(dir.path());
        SetReportingMode(2);
        ReportError(1001, "WMenuSetState");
        // Moving elsewhere does not start a second log: the first stays open.
        std::filesystem::current_path("/");
        ReportError(1003, "WindowSelect");
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(dir / "debug"),
            "Routine:WMenuSetState Error=1001:Invalid menu item\r\n"
            "Routine:WindowSelect Error=1003:Invalid window handle\r\n");
}

}  // namespace
}  // namespace zarv
