// The descriptor and identity a host sees after loading the module.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/plugin_effect.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/fake_host.h"

namespace vt {
namespace {

using test::FakeHost;

struct Instance {
  FakeHost host;
  vst2::AEffect* effect = createPluginInstance(FakeHost::callback());
  ~Instance() {
    if (effect) effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
  }
  vst2::IntPtr dispatch(vst2::Int32 op, vst2::Int32 index = 0, vst2::IntPtr value = 0, void* ptr = nullptr,
                        float opt = 0.0f) {
    return effect->dispatcher(effect, op, index, value, ptr, opt);
  }
};

TEST(PluginDescriptor, AnswersIdentityAndLayout) {
  Instance p;
  ASSERT_NE(p.effect, nullptr);
  EXPECT_EQ(p.effect->magic, vst2::kEffectMagic);
  EXPECT_EQ(p.effect->numPrograms, 1);
  EXPECT_EQ(p.effect->numParams, 173);
  EXPECT_EQ(p.effect->numInputs, 0);
  EXPECT_EQ(p.effect->numOutputs, 2);
  EXPECT_EQ(p.effect->flags, 0x139);
  EXPECT_EQ(p.effect->uniqueID, 0x56745637);
  EXPECT_EQ(p.effect->version, 1);
  EXPECT_EQ(p.effect->initialDelay, 0);
  EXPECT_FLOAT_EQ(p.effect->ioRatio, 1.0f);
  EXPECT_EQ(p.dispatch(vst2::effGetVstVersion), 2400);
  EXPECT_EQ(p.dispatch(vst2::effGetPlugCategory), vst2::kPlugCategSynth);
  EXPECT_EQ(p.dispatch(vst2::effGetVendorVersion), 1);

  char text[256] = {};
  EXPECT_EQ(p.dispatch(vst2::effGetEffectName, 0, 0, text), 1);
  EXPECT_STREQ(text, "VT7000");
  EXPECT_EQ(p.dispatch(vst2::effGetProductString, 0, 0, text), 1);
  EXPECT_STREQ(text, "VT7000");
  EXPECT_EQ(p.dispatch(vst2::effGetVendorString, 0, 0, text), 1);
  EXPECT_STREQ(text, "Tarnwick");
}

TEST(PluginDescriptor, EntryRefusesHostVersionZero) {
  FakeHost host;
  host.version = 0;
  EXPECT_EQ(createPluginInstance(FakeHost::callback()), nullptr);
  EXPECT_EQ(createPluginInstance(nullptr), nullptr);
}

TEST(PluginDescriptor, EntryReturnsNullWhenAnyConstructionAllocationFails) {
  FakeHost host;
  // Fail each of the first allocations in turn: the entry either succeeds
  // completely or returns null, and never crashes or leaks a half-built object.
  int nullResults = 0;
  for (long n = 0; n < 8; ++n) {
    test::failAllocationNumber(n);
    vst2::AEffect* effect = createPluginInstance(FakeHost::callback());
    test::failAllocationNumber(-1);
    if (effect)
      effect->dispatcher(effect, vst2::effClose, 0, 0, nullptr, 0.0f);
    else
      ++nullResults;
  }
  EXPECT_GE(nullResults, 4);  // plug-in object, chunk buffer, engine, program array, editor
}

}  // namespace
}  // namespace vt
