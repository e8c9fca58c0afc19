// Note frequencies against equal temperament, and note names.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/note_frequency_table.h"
#include "engine/note_name_table.h"

namespace vt {
namespace {

TEST(NoteFrequencyTable, EqualTemperamentFromA440) {
  NoteFrequencyTable t;
  EXPECT_NEAR(t[69], 440.0f, 1e-3f);
  for (int n = 0; n < 128; ++n) {
    const double expected = 440.0 * std::pow(2.0, (n - 69) / 12.0);
    EXPECT_NEAR(t[n], expected, expected * 1e-6) << n;
  }
  EXPECT_EQ(t[-5], t[0]);
  EXPECT_EQ(t[300], t[127]);
}

TEST(NoteNameTable, PitchAndOctave) {
  NoteNameTable t;
  EXPECT_STREQ(t.name(60), "C 4");
  EXPECT_STREQ(t.name(61), "C#4");
  EXPECT_STREQ(t.name(69), "A 4");
  EXPECT_STREQ(t.name(127), "G 9");
  EXPECT_STREQ(t.name(0), "C N");
  EXPECT_STREQ(t.name(11), "B N");
  EXPECT_STREQ(t.name(12), "C 0");
  EXPECT_STREQ(t.name(-1), "C N");
}

}  // namespace
}  // namespace vt
