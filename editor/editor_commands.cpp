// What the editor does with a parameter write beyond showing the value: the
// special cases of the voice, morph and loop parameters, and the commands
// behind tags 173-244 (loads, imports, random commands, names, root notes,
// learn). Everything here runs on the UI thread; writes that arrive on
// another thread wait in the pending bits for the next idle.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "editor/audio_importer.h"
#include "editor/display_binder.h"
#include "editor/display_edit_buffers.h"
#include "editor/editor_owner.h"
#include "editor/file_browser.h"
#include "editor/nearest_note.h"
#include "editor/page_layout.h"
#include "editor/plugin_editor.h"
#include "editor/voice_list.h"
#include "engine/staged_load.h"
#include "engine/synth_engine.h"
#include "engine/voice_slot_content.h"
#include "files/engine_loader.h"
#include "files/instrument_library.h"
#include "files/library_paths.h"
#include "files/random_voices.h"
#include "files/voice_library.h"
#include "gui/frame.h"
#include "gui/option_menu.h"
#include "gui/text_edit.h"
#include "platform/folder_enumeration.h"

namespace vt {

namespace {

enum Command {
  kFirstCommand = 173,
  kHarmonicsTag = 174,
  kHarmonicEnvelopeTag = 175,
  kNoiseSpectrumTag = 176,
  kNoiseEnvelopeTag = 177,
  kFormantTag = 178,
  kEnvelopeVariantTag = 180,
  kEditModeTag = 182,
  kFrequencyTag = 186,
  kNameFieldTag = 190,
  kSelectedTimeTag = 194,
  kMorphPadTag = 198,
  kNameCopyTag = 200,
  kImportTag = 205,
  kLoadVoiceTag = 209,
  kLoadInstrumentTag = 217,
  kRootNoteTag = 224,
  kLoadHarmonicsTag = 228,
  kLoadNoiseTag = 230,
  kRandomVoicesTag = 232,
  kRandomMorphTag = 233,
  kRandomToneTag = 234,
  kRandomEffectsTag = 235,
  kLearnTag = 236,
  kInstrumentMenuTag = 237,
  kCategoryMenuTag = 238,
  kVoiceListTag = 240,
  kResetTag = 244,
};

// 8-step fields: index = int(value * 8 + 0.001), at most 7; NaN and negatives give 0.
int fieldIndex(float value, int steps) {
  const float scaled = value * static_cast<float>(steps) + 0.001f;
  if (!(scaled >= 0.0f)) return 0;
  const int index = static_cast<int>(scaled);
  return index > steps - 1 ? steps - 1 : index;
}

// A button's release: the value is exactly 0.
bool released(float value) { return value == 0.0f; }

bool inRange(int index, int first, int count) { return index >= first && index < first + count; }

}  // namespace

int PluginEditor::selectedMultisample(int voice) {
  return fieldIndex(parameterValue(MultisampleA + voice), VoiceSlot::kRows);
}

int PluginEditor::selectedLayer(int voice) {
  // SoftLoud past its first entry (of three) edits the loud layer.
  const float scaled = parameterValue(SoftLoudButtonA + voice) * 2.0f + 0.5f;
  return scaled >= 1.0f ? 1 : 0;
}

void PluginEditor::markPending(int index, float value) {
  pendingValues[index].store(value, std::memory_order_relaxed);
  pendingBits[index / 32].fetch_or(1u << (index % 32), std::memory_order_release);
}

void PluginEditor::dispatchPending() {
  if (dispatching || !frame) return;
  dispatching = true;
  // A command may write parameters itself; their bits are picked up by the next pass.
  for (int pass = 0; pass < 8; ++pass) {
    bool any = false;
    for (int word = 0; word < kPendingWords; ++word) {
      std::uint32_t bits = pendingBits[word].exchange(0, std::memory_order_acq_rel);
      while (bits) {
        const int bit = __builtin_ctz(bits);
        bits &= bits - 1;
        any = true;
        const int index = word * 32 + bit;
        perform(index, pendingValues[index].load(std::memory_order_relaxed));
        if (!frame) break;  // a command closed the window
      }
    }
    if (!any || !frame) break;
  }
  dispatching = false;
}

void PluginEditor::perform(int index, float value) {
  if (!engine || !windowOpen.load(std::memory_order_acquire)) return;
  if (index < kFirstCommand)
    performVoiceParameter(index, value);
  else
    performCommand(index, value);
}

void PluginEditor::performVoiceParameter(int index, float value) {
  if (!buffers || !buffers->valid()) return;
  DisplayBinder binder(registry, *buffers, *engine, readParameter, this);
  if (inRange(index, SoftLoudButtonA, kNumSlots) || inRange(index, NumHarmonicsA, kNumSlots)) {
    binder.rebindVoice(index - (inRange(index, SoftLoudButtonA, kNumSlots) ? SoftLoudButtonA : NumHarmonicsA));
  } else if (inRange(index, NumMultisamplesA, kNumSlots)) {
    const int voice = index - NumMultisamplesA;
    // The selection may not lie past the new count.
    if (fieldIndex(parameterValue(MultisampleA + voice), VoiceSlot::kRows) > fieldIndex(value, VoiceSlot::kRows))
      writeParameter(MultisampleA + voice, value);
    showRootNote(voice, false);
    binder.rebindVoice(voice);
  } else if (inRange(index, MultisampleA, kNumSlots)) {
    const int voice = index - MultisampleA;
    const float count = parameterValue(NumMultisamplesA + voice);
    if (fieldIndex(value, VoiceSlot::kRows) > fieldIndex(count, VoiceSlot::kRows)) {
      writeParameter(index, count);  // snaps back; the write comes here again
      return;
    }
    showRootNote(voice, false);
    binder.rebindVoice(voice);
  } else if (index == MorphModeSelector || index == EnvelopeMorphOn || index == GlobalLoopOn || index == GlobalSyncOn ||
             index == GlobalLoopStartTime || index == GlobalLoopEndTime || inRange(index, EnvelopeModeA, kNumSlots) ||
             inRange(index, MorphHarmX, 6)) {
    if (index == MorphModeSelector)
      binder.rebindMorphPage();  // the envelope group follows the selector
    else
      binder.updateViews();
  }
}

void PluginEditor::performCommand(int index, float value) {
  const int page = shownPage;
  const bool voicePage = page >= 0 && page < kNumSlots;
  const bool bound = buffers && buffers->valid();
  DisplayBinder* binder = nullptr;
  alignas(DisplayBinder) unsigned char binderSpace[sizeof(DisplayBinder)];
  if (bound) binder = new (binderSpace) DisplayBinder(registry, *buffers, *engine, readParameter, this);

  if (index >= kHarmonicsTag && index <= kNoiseEnvelopeTag) {
    if (voicePage && binder) binder->rebindVoice(page);
    return;
  }
  if (index == kFormantTag || index == kEnvelopeVariantTag) {
    if (binder) binder->rebindMorphPage();
    return;
  }
  if (inRange(index, kEditModeTag, kNumSlots) || inRange(index, kFrequencyTag, kNumSlots) ||
      inRange(index, kSelectedTimeTag, kNumSlots)) {
    if (binder) binder->updateViews();
    return;
  }
  if (inRange(index, kNameFieldTag, kNumSlots)) {
    if (!refreshing) copyVoiceName(index - kNameFieldTag);
    return;
  }
  if (inRange(index, kNameCopyTag, kNumSlots)) {
    if (!refreshing) copyVoiceName(index - kNameCopyTag);
    return;
  }
  if (inRange(index, kRootNoteTag, kNumSlots)) {
    if (!refreshing) setRootNote(index - kRootNoteTag, value);
    return;
  }
  if (index == kLearnTag) {
    engine->setLearnArmed(value > 0.5f);
    return;
  }
  // Everything below loads, imports or randomises: a refresh passing every
  // index through here must not run it again.
  if (refreshing) return;
  if (index == kInstrumentMenuTag || index == kCategoryMenuTag) {
    const int first = registry.firstWithTag(index);
    if (first < 0) return;
    const int chosen = static_cast<gui::OptionMenu*>(registry.at(first).control)->getCurrent();
    if (chosen < 0) return;
    if (index == kCategoryMenuTag) {
      selectedCategory = chosen;
      selectedInstrument = 0;
      fillInstrumentMenu();
    } else {
      selectedInstrument = chosen;
    }
    rescanAndLoad(false, true);
    return;
  }
  if (inRange(index, kVoiceListTag, kNumSlots)) {
    loadChosenVoice(index - kVoiceListTag);
    return;
  }
  if (!released(value)) return;  // the rest act when their button is let go
  if (inRange(index, kImportTag, kNumSlots)) {
    chooseFile(FileAction::ImportAudio, index - kImportTag);
  } else if (inRange(index, kLoadVoiceTag, kNumSlots)) {
    chooseFile(FileAction::LoadVoice, index - kLoadVoiceTag);
  } else if (index == kLoadInstrumentTag) {
    chooseFile(FileAction::LoadInstrument, 0);
  } else if (index == kLoadHarmonicsTag || index == kLoadNoiseTag) {
    if (voicePage) chooseFile(index == kLoadHarmonicsTag ? FileAction::LoadHarmonics : FileAction::LoadNoise, page);
  } else if (index == kRandomVoicesTag) {
    randomVoices();
  } else if (index == kRandomMorphTag || index == kRandomToneTag || index == kRandomEffectsTag) {
    if (index == kRandomMorphTag) randomMorph(*engine, random);
    if (index == kRandomToneTag) randomTone(*engine, random);
    if (index == kRandomEffectsTag) randomEffects(*engine, random);
    refreshAll();
  } else if (index == kResetTag) {
    char path[kLibraryPathSize];
    const char separator = SystemFolderLister().separator();
    const int n = std::snprintf(path, sizeof(path), "%s%cReset.v7i", engine->getDataFolder(), separator);
    if (n > 0 && n < static_cast<int>(sizeof(path))) loadInstrumentPath(path);
  }
}

void PluginEditor::copyVoiceName(int voice) {
  const int first = registry.firstWithTag(kNameFieldTag + voice);
  if (first < 0 || registry.at(first).kind != ControlKind::TextEdit) return;
  const char* text = static_cast<gui::TextEdit*>(registry.at(first).control)->getText();
  StagedLoad load(*engine);
  if (!load) return;
  VoiceSlot& staged = load->stagedSlot(voice);
  const std::size_t length = text ? std::min(std::strlen(text), sizeof(staged.name) - 1) : 0;
  if (length) std::memcpy(staged.name, text, length);
  staged.name[length] = 0;
  load->slotChange[voice] = PendingLoad::ChangeHeader;
  load->voiceHeaderFields[voice] = PendingLoad::VoiceName;
}

void PluginEditor::showRootNote(int voice, bool writeParameterToo) {
  const int row = selectedMultisample(voice);
  const int note = nearestNote(multisampleRoot(engine->slot(voice), row), engine->noteFrequencyTable());
  const float value = static_cast<float>(note) / 128.0f;
  // Shown only: writing the field through dispatch would retune the multisample to the note.
  for (int i = registry.firstWithTag(kRootNoteTag + voice); i >= 0; i = registry.at(i).next)
    registry.at(i).control->setValue(value);
  if (writeParameterToo) engine->setParameter(kRootNoteTag + voice, value);
}

void PluginEditor::setRootNote(int voice, float value) {
  float scaled = value * 128.0f + 0.001f;
  if (!(scaled >= 0.0f) || scaled >= 128.0f) scaled = 0.0f;  // out of range
  const float frequency = engine->noteFrequencyTable()[static_cast<int>(scaled)];
  const int row = selectedMultisample(voice);
  StagedLoad load(*engine);
  if (!load) return;
  VoiceSlot& staged = load->stagedSlot(voice);
  engine->copyLiveSlot(staged, voice);
  for (int layer = 0; layer < VoiceSlot::kLayers; ++layer) staged.harmonics[row][layer].baseFrequency = frequency;
  staged.prepare();
  load->slotChange[voice] = PendingLoad::ReplaceContent;
}

void PluginEditor::refreshAll() {
  if (!engine || !windowOpen.load(std::memory_order_acquire) || refreshing.load()) return;
  refreshing.store(true);
  for (int v = 0; v < kNumSlots; ++v) {
    const int rows = engine->slot(v).rowCount;
    engine->setParameter(NumMultisamplesA + v, static_cast<float>(rows - 1) / static_cast<float>(VoiceSlot::kRows));
  }
  loadControlValues();  // names, voice lists, every control from the parameters, displays rebound
  for (int v = 0; v < kNumSlots; ++v) showRootNote(v, true);
  for (int index = 0; index < kNumParameters; ++index) {
    if (index == kPageTabs || index == kMorphPadTag) continue;
    setParameter(index, parameterValue(index));
  }
  refreshing.store(false);
}

void PluginEditor::loadInstrumentPath(const char* path) {
  if (loadInstrumentFile(*engine, path)) refreshAll();
}

void PluginEditor::loadChosenVoice(int voice) {
  const int first = registry.firstWithTag(kVoiceListTag + voice);
  if (first < 0 || registry.at(first).kind != ControlKind::VoiceList || !voices) return;
  char path[kLibraryPathSize];
  if (!static_cast<VoiceList*>(registry.at(first).control)->chosenPath(*voices, path, sizeof(path))) return;
  if (loadVoiceFile(*engine, voice, path)) refreshAll();
}

// ---- File choice ----

void PluginEditor::chooseFile(FileAction action, int voice) {
  if (chooserAction != FileAction::None) return;  // one dialog at a time
  static const char* const kExtensions[] = {"", "wav", "v7v", "v7i", "v7h", "v7n"};
  const FileRequest request = fileRequestFor(kExtensions[static_cast<int>(action)]);
  FileChooser* chooser = injectedChooser;
  if (!chooser) {
    if (!systemChooserTried) {
      systemChooser = createSystemFileChooser();
      systemChooserTried = true;
    }
    chooser = systemChooser;
  }
  if (!chooser || !chooser->start(request)) {
    // No dialog of the system's: the editor's own browser.
    delete browser;
    browser = frame ? new (std::nothrow) FileBrowser(*frame, images.characterFont()) : nullptr;
    chooser = browser;
    if (!chooser || !chooser->start(request)) return;
  }
  activeChooser = chooser;
  chooserAction = action;
  chooserVoice = voice;
  pollFileChoice();  // a modal dialog has answered already
}

void PluginEditor::pollFileChoice() {
  if (!activeChooser || chooserAction == FileAction::None) return;
  char path[kLibraryPathSize];
  const FileChooser::State state = activeChooser->poll(path, sizeof(path));
  if (state == FileChooser::State::Running) return;
  const FileAction action = chooserAction;
  const int voice = chooserVoice;
  chooserAction = FileAction::None;
  activeChooser = nullptr;
  if (state == FileChooser::State::Chosen) runFileAction(action, voice, path);
}

void PluginEditor::endFileChoice() {
  if (activeChooser) activeChooser->cancel();
  activeChooser = nullptr;
  chooserAction = FileAction::None;
  delete browser;
  browser = nullptr;
}

bool PluginEditor::runFileAction(FileAction action, int voice, const char* path) {
  if (!engine || !path || voice < 0 || voice >= kNumSlots) return false;
  const int row = selectedMultisample(voice);
  const int layer = selectedLayer(voice);
  bool loaded = false;
  switch (action) {
    case FileAction::ImportAudio:
      // The import reports its end at idle, which then shows the engine again.
      return activeImporter() && activeImporter()->start(path, voice, row, layer);
    case FileAction::LoadVoice:
      loaded = loadVoiceFile(*engine, voice, path);
      break;
    case FileAction::LoadInstrument:
      loaded = loadInstrumentFile(*engine, path);
      break;
    case FileAction::LoadHarmonics:
      loaded = loadHarmonicBlockFile(*engine, voice, row, layer, path);
      break;
    case FileAction::LoadNoise:
      loaded = loadNoiseBlockFile(*engine, voice, row, layer, path);
      break;
    case FileAction::None:
      break;
  }
  if (loaded) refreshAll();
  return loaded;
}

// ---- Drops ----

void PluginEditor::onDrop(const gui::DropData& data, gui::Point /*where*/) {
  if (data.kind != gui::DropData::Kind::Files || !data.names) return;
  for (int i = 0; i < data.count; ++i) loadDroppedFile(data.names[i]);
}

bool PluginEditor::loadDroppedFile(const char* path) {
  if (!path || !engine || !windowOpen.load(std::memory_order_acquire)) return false;
  const FileRequest audio = fileRequestFor("wav");
  const bool voicePage = shownPage >= 0 && shownPage < kNumSlots;
  const int voice = voicePage ? shownPage : 0;
  FileRequest single;
  single.patternCount = 1;
  auto is = [&](const char* ext) {
    single.patterns[0] = ext;
    return fileMatchesRequest(path, single);
  };
  if (is("v7i")) return runFileAction(FileAction::LoadInstrument, 0, path);
  if (!voicePage) return false;
  if (fileMatchesRequest(path, audio)) return runFileAction(FileAction::ImportAudio, voice, path);
  if (is("v7v")) return runFileAction(FileAction::LoadVoice, voice, path);
  if (is("v7h")) return runFileAction(FileAction::LoadHarmonics, voice, path);
  if (is("v7n")) return runFileAction(FileAction::LoadNoise, voice, path);
  return false;
}

}  // namespace vt
