// The committed factory library as the instrument reads it: the folder layout,
// every file through the real readers, and the voices inside the instruments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot.h"
#include "files/byte_stream.h"
#include "files/engine_loader.h"
#include "files/instrument_library.h"
#include "files/instrument_record.h"
#include "files/library_paths.h"
#include "files/voice_record.h"
#include "platform/folder_enumeration.h"
#include "tests/factory/factory_test_support.h"

namespace vt {
namespace {

using test::endsWith;
using test::factoryDataFolder;
using test::stem;

const std::string kVoices = "Veltrane7000Data/Voices/";
const std::string kInstruments = "Veltrane7000Data/Instruments-Factory/";
const std::set<std::string> kCategories = {"Basses", "Brass-Winds", "Chromatics",  "Guitars",    "Organs",
                                           "Pianos", "Strings",     "Synth Leads", "Synth Pads", "Voices"};
// The library travels with every build and inside no archive: keep it small.
constexpr std::uintmax_t kLibraryBudget = 40 * 1024 * 1024;

std::string path(const std::string& relative) { return (factoryDataFolder() / relative).string(); }

std::vector<std::string> filesEndingIn(const std::string& prefix, const std::string& extension) {
  std::vector<std::string> found;
  for (const std::string& f : test::filesUnder(factoryDataFolder()))
    if (f.rfind(prefix, 0) == 0 && endsWith(f, extension)) found.push_back(f);
  return found;
}

// The bytes writeVoiceRecord gives for a slot.
std::string voiceBytes(const VoiceSlot& slot) {
  std::vector<unsigned char> buffer(ByteStream::kCapacity);
  ByteStream stream;
  if (!stream.openMemoryForWriting(buffer.data(), ByteStream::kCapacity)) return "";
  const bool ok = writeVoiceRecord(stream, slot);
  const std::int32_t size = stream.getPosition();
  stream.close();
  return ok ? std::string(buffer.begin(), buffer.begin() + size) : "";
}

std::string storedBytes(const std::string& file) {
  ByteStream stream;
  if (!stream.openFileForReading(path(file).c_str())) return "";
  const std::string bytes(reinterpret_cast<const char*>(stream.data()), stream.getSize());
  stream.close();
  return bytes;
}

TEST(FactoryLibrary, HoldsVoicesAndInstrumentsInCategoryFoldersAndTheResetFile) {
  const std::vector<std::string> files = test::filesUnder(factoryDataFolder());
  ASSERT_FALSE(files.empty()) << "no factory library under " << factoryDataFolder();
  std::set<std::string> voiceCategories, instrumentCategories;
  std::uintmax_t total = 0;
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    const std::uintmax_t size = std::filesystem::file_size(factoryDataFolder() / f);
    total += size;
    EXPECT_LT(size, static_cast<std::uintmax_t>(ByteStream::kCapacity)) << "too large for the reader";
    const std::filesystem::path p(f);
    if (f == kResetFileName) continue;
    const std::string category = p.parent_path().filename().string();
    if (f.rfind(kVoices, 0) == 0 && p.extension() == ".v7v") {
      voiceCategories.insert(category);
    } else if (f.rfind(kInstruments, 0) == 0 && p.extension() == ".v7i") {
      instrumentCategories.insert(category);
    } else {
      ADD_FAILURE() << "a file the library does not use";
    }
    EXPECT_EQ(p.parent_path().parent_path().filename().string() + "/",
              f.rfind(kVoices, 0) == 0 ? std::string("Voices/") : std::string("Instruments-Factory/"));
  }
  EXPECT_EQ(std::count(files.begin(), files.end(), std::string(kResetFileName)), 1);
  EXPECT_EQ(voiceCategories, kCategories);
  EXPECT_EQ(instrumentCategories, kCategories);
  EXPECT_GE(filesEndingIn(kVoices, ".v7v").size(), 30u);
  EXPECT_GE(filesEndingIn(kInstruments, ".v7i").size(), 30u);
  EXPECT_LE(total, kLibraryBudget);
}

TEST(FactoryLibrary, EveryVoiceFileReadsWholeIntoASlot) {
  const std::vector<std::string> voices = filesEndingIn(kVoices, ".v7v");
  ASSERT_FALSE(voices.empty());
  auto slot = std::make_unique<VoiceSlot>();
  for (const std::string& f : voices) {
    SCOPED_TRACE(f);
    ByteStream stream;
    ASSERT_TRUE(stream.openFileForReading(path(f).c_str()));
    EXPECT_TRUE(readVoiceRecord(stream, *slot));
    EXPECT_EQ(stream.remaining(), 0) << "bytes after the voice record";
    EXPECT_FALSE(stream.failed());
    stream.close();
    EXPECT_EQ(std::string(slot->name), stem(f));
    EXPECT_GE(slot->rowCount, 2);
    EXPECT_GE(slot->layerCount, 1);
    EXPECT_LE(slot->layerCount, 2);
    for (int r = 0; r < slot->rowCount; ++r)
      for (int l = 0; l < slot->layerCount; ++l) EXPECT_GT(slot->harmonics[r][l].duration, 0.0f) << r << "/" << l;
  }
  // And through the engine's loader, into each slot in turn.
  auto engine = std::make_unique<SynthEngine>();
  for (std::size_t i = 0; i < voices.size(); ++i) {
    const int s = static_cast<int>(i % kNumSlots);
    EXPECT_TRUE(loadVoiceFile(*engine, s, path(voices[i]).c_str())) << voices[i];
    EXPECT_EQ(std::string(engine->slot(s).name), stem(voices[i]));
  }
}

TEST(FactoryLibrary, EveryInstrumentFileReadsWholeIntoTheEngine) {
  std::vector<std::string> instruments = filesEndingIn(kInstruments, ".v7i");
  ASSERT_FALSE(instruments.empty());
  instruments.push_back(kResetFileName);
  for (const std::string& f : instruments) {
    SCOPED_TRACE(f);
    auto engine = std::make_unique<SynthEngine>();
    ByteStream stream;
    ASSERT_TRUE(stream.openFileForReading(path(f).c_str()));
    EXPECT_TRUE(readInstrumentInto(*engine, stream));
    // Nothing is left over: the optional morph pairs are present.
    EXPECT_EQ(stream.remaining(), 0);
    stream.close();
    EXPECT_EQ(std::string(engine->getInstrumentName()), stem(f));
    for (int s = 0; s < kNumSlots; ++s) {
      EXPECT_GT(engine->slot(s).rowCount, 0) << "slot " << s;
      EXPECT_NE(engine->slot(s).name[0], 0) << "slot " << s;
    }
    for (int i = 0; i < kNumHostParameters; ++i) EXPECT_TRUE(std::isfinite(engine->getParameter(i))) << i;
    // The same file through the file loader.
    auto again = std::make_unique<SynthEngine>();
    EXPECT_TRUE(loadInstrumentFile(*again, path(f).c_str()));
  }
}

// The reset instrument is a neutral start: one plain voice in every slot, the
// morph centred and still, every effect and modulation off.
TEST(FactoryLibrary, TheResetInstrumentIsNeutral) {
  auto engine = std::make_unique<SynthEngine>();
  ASSERT_TRUE(loadInstrumentFile(*engine, path(kResetFileName).c_str()));
  for (int s = 1; s < kNumSlots; ++s) EXPECT_TRUE(voiceBytes(engine->slot(s)) == voiceBytes(engine->slot(0))) << s;
  for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) EXPECT_EQ(engine->getParameter(p), 0.5f) << p;
  for (int p : {EnvelopeMorphOn, DistortionOn, FilterOn, ChorusOn, DelayOn, ReverbOn, FormantFilterOn, LfoOn,
                PortamentoOn, GlobalLoopOn})
    EXPECT_LT(engine->getParameter(p), 0.5f) << p;
}

TEST(FactoryLibrary, InstrumentsHoldExactlyTheVoicesOfTheVoiceLibrary) {
  std::map<std::string, std::string> library;  // voice name -> file bytes
  for (const std::string& f : filesEndingIn(kVoices, ".v7v")) library[stem(f)] = storedBytes(f);
  for (const std::string& f : filesEndingIn(kInstruments, ".v7i")) {
    SCOPED_TRACE(f);
    auto engine = std::make_unique<SynthEngine>();
    ASSERT_TRUE(loadInstrumentFile(*engine, path(f).c_str()));
    for (int s = 0; s < kNumSlots; ++s) {
      const VoiceSlot& slot = engine->slot(s);
      auto found = library.find(slot.name);
      ASSERT_NE(found, library.end()) << "slot " << s << " holds " << slot.name;
      // Read, prepared and written again, the voice is the library's file byte for byte.
      EXPECT_TRUE(voiceBytes(slot) == found->second) << "slot " << s << " (" << slot.name << ")";
    }
  }
}

TEST(FactoryLibrary, TheScansListEveryCategoryAndFile) {
  const SystemFolderLister lister;
  char root[kLibraryPathSize];
  ASSERT_TRUE(factoryInstrumentRoot(factoryDataFolder().string().c_str(), lister.separator(), root, sizeof(root)));
  InstrumentLibrary instruments;
  instruments.rescan(lister, root);
  std::size_t listed = 0;
  for (int c = 0; c < instruments.categoryCount(); ++c) {
    for (int i = 0; i < instruments.instrumentCount(c); ++i) {
      char file[kLibraryPathSize];
      ASSERT_TRUE(instruments.instrumentPath(c, i, file, sizeof(file)));
      EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
      ++listed;
    }
    EXPECT_GT(instruments.instrumentCount(c), 0) << instruments.categoryName(c);
    // Every instrument category is one the random instrument generator knows.
    EXPECT_GT(instrumentCategoryNumber(instruments.categoryName(c)), 0) << instruments.categoryName(c);
  }
  EXPECT_EQ(listed, filesEndingIn(kInstruments, ".v7i").size());
  // The ten categories, in name order.
  std::vector<std::string> names;
  for (int c = 0; c < instruments.categoryCount(); ++c) names.push_back(instruments.categoryName(c));
  EXPECT_EQ(names, std::vector<std::string>(kCategories.begin(), kCategories.end()));
}

// A host saves the plug-in's chunk after an instrument loads and restores it
// later: saving the restored state gives the same bytes.
TEST(FactoryLibrary, EveryInstrumentChunkIsStable) {
  std::vector<std::string> instruments = filesEndingIn(kInstruments, ".v7i");
  instruments.push_back(kResetFileName);
  std::vector<unsigned char> first(ByteStream::kCapacity), second(ByteStream::kCapacity);
  auto save = [](const SynthEngine& engine, std::vector<unsigned char>& buffer) -> std::int32_t {
    ByteStream stream;
    if (!stream.openMemoryForWriting(buffer.data(), ByteStream::kCapacity)) return -1;
    const bool ok = writeInstrumentRecord(stream, engine);
    const std::int32_t size = stream.getPosition();
    stream.close();
    return ok ? size : -1;
  };
  for (const std::string& f : instruments) {
    SCOPED_TRACE(f);
    auto loaded = std::make_unique<SynthEngine>();
    ASSERT_TRUE(loadInstrumentFile(*loaded, path(f).c_str()));
    const std::int32_t size = save(*loaded, first);
    ASSERT_GT(size, 0);
    auto restored = std::make_unique<SynthEngine>();
    ByteStream in;
    ASSERT_TRUE(in.openMemoryForReading(first.data(), size));
    ASSERT_TRUE(readInstrumentInto(*restored, in));
    in.close();
    ASSERT_EQ(save(*restored, second), size);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + size, second.begin()));
  }
}

}  // namespace
}  // namespace vt
