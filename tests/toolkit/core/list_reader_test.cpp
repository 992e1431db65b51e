// ListReader behaviour a caller relies on beyond the gfortran corpus: what
// each status means for the target and what comes after it.
#include <gtest/gtest.h>

#include "toolkit/core/fortran_io.h"

namespace {

using zarv::fortran::ListReader;
using Status = ListReader::Status;

TEST(ListReader, NullSlashAndEndLeaveTheTargetAlone) {
  ListReader reader("5,,'a b' / 9");
  int i = -1;
  EXPECT_EQ(reader.read(i), Status::kValue);
  EXPECT_EQ(i, 5);
  EXPECT_EQ(reader.read(i), Status::kNull);
  EXPECT_EQ(i, 5);
  zarv::Text<4> text("zzzz");
  EXPECT_EQ(reader.read(text.span()), Status::kValue);
  EXPECT_EQ(text.str(), "a b");
  EXPECT_EQ(reader.read(i), Status::kSlash);
  EXPECT_EQ(reader.read(i), Status::kSlash);  // the slash ends every later item
  EXPECT_EQ(i, 5);

  ListReader blank("   ");
  double d = 7;
  EXPECT_EQ(blank.read(d), Status::kEnd);
  EXPECT_EQ(blank.read(d), Status::kEnd);
  EXPECT_EQ(d, 7);
}

TEST(ListReader, AnErrorStopsTheRecord) {
  ListReader reader("1.5 2");
  int i = -1;
  EXPECT_EQ(reader.read(i), Status::kError);
  EXPECT_EQ(i, -1);
  float f = 0;
  EXPECT_EQ(reader.read(f), Status::kError);
}

TEST(ListReader, RepeatedValueServesOneKindOfTarget) {
  ListReader reader("3*2.5");
  double a = 0, b = 0;
  float c = 0;
  EXPECT_EQ(reader.read(a), Status::kValue);
  EXPECT_EQ(reader.read(b), Status::kValue);
  EXPECT_EQ(b, 2.5);
  EXPECT_EQ(reader.read(c), Status::kError);
}

// As gfortran does, a semicolon separates values like a comma; where a
// caller refuses it, a semicolon outside quotes is an error wherever it
// stands, and one after the last item read is never looked at.
TEST(ListReader, SemicolonsSeparateUnlessRefused) {
  int a = 0, b = 0;
  ListReader gfortran("1;2");
  EXPECT_EQ(gfortran.read(a), Status::kValue);
  EXPECT_EQ(gfortran.read(b), Status::kValue);
  EXPECT_EQ(b, 2);

  for (const char* record : {"1;2", "1 ;2", "1,;2", ";1,2", "2*;1", "'a';1"}) {
    SCOPED_TRACE(record);
    ListReader strict(record, ListReader::Semicolon::kRefused);
    zarv::Text<4> first;
    Status status = record[0] == '\'' ? strict.read(first.span()) : strict.read(a);
    if (status == Status::kValue || status == Status::kNull) status = strict.read(b);
    EXPECT_EQ(status, Status::kError);
  }
  ListReader quoted("'a;b' 3 ;x", ListReader::Semicolon::kRefused);
  zarv::Text<4> text;
  EXPECT_EQ(quoted.read(text.span()), Status::kValue);
  EXPECT_EQ(text.str(), "a;b");
  EXPECT_EQ(quoted.read(a), Status::kValue);
  EXPECT_EQ(a, 3);
}

// A quoted string with its quote doubled inside, read again by a repeat.
TEST(ListReader, DoubledQuotesSurviveARepeat) {
  ListReader reader("2*'it''s' 'x'");
  zarv::Text<6> first, second, third;
  EXPECT_EQ(reader.read(first.span()), Status::kValue);
  EXPECT_EQ(reader.read(second.span()), Status::kValue);
  EXPECT_EQ(reader.read(third.span()), Status::kValue);
  EXPECT_EQ(first.str(), "it's");
  EXPECT_EQ(second.str(), "it's");
  EXPECT_EQ(third.str(), "x");
}

TEST(ListReader, RealsAreReadInTheCLocaleWhateverTheProcessLocale) {
  // A desktop session may run with a decimal-comma locale.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  ListReader reader("1.25");
  double d = 0;
  EXPECT_EQ(reader.read(d), Status::kValue);
  EXPECT_EQ(d, 1.25);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!switched) GTEST_SKIP() << "no de_DE locale here; read checked in the C locale only";
}

}  // namespace
