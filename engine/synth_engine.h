// The synthesis engine: parameter array and write path, MIDI event queues,
// voices and effect units, and the render loop that turns one host block of
// queued events into two output channels.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "effects/effect_chain.h"
#include "effects/smoothed_value.h"
#include "engine/background_worker.h"
#include "engine/breakpoint_curve.h"
#include "engine/event_queue.h"
#include "engine/instrument_view.h"
#include "engine/load_exchange.h"
#include "engine/midi_learn_map.h"
#include "engine/morph_positions.h"
#include "engine/noise_generator.h"
#include "engine/note_frequency_table.h"
#include "engine/note_name_table.h"
#include "engine/parameter_ids.h"
#include "engine/parameter_road.h"
#include "engine/synth_voice.h"
#include "engine/voice_slot.h"

namespace vt {

class PendingLoad;

// Watches the render loop from outside: called for every voice-stage
// sub-block (with the mono mix it may add to) and every handled event.
// Used by diagnostics and tests; null by default.
class RenderObserver {
public:
  virtual ~RenderObserver() = default;
  virtual void voiceSubBlock(float* mono, int offset, int length) = 0;
  virtual void eventHandled(const std::uint8_t* bytes, int position) = 0;
};

class SynthEngine {
public:
  static constexpr int kMaxSubBlock = 256;        // voice-stage resolution in frames
  static constexpr int kMaxEffectBlock = 100000;  // effect-stage sub-block limit in frames
  static constexpr float kSilenceThreshold = 0.00003f;
  static constexpr int kDataFolderSize = 256;
  static constexpr int kVoices = 52;      // the voice pool
  static constexpr int kVoiceLimit = 48;  // voices sounding at once; the rest let stolen ones fade
  static constexpr int kFormantTableSize = NoiseGenerator::kSpectrumSize;

  SynthEngine();
  ~SynthEngine();

  SynthEngine(const SynthEngine&) = delete;
  SynthEngine& operator=(const SynthEngine&) = delete;

  // The parameter road (engine/parameter_road.h), from any thread. The value
  // is limited to the parameter's range (a non-finite value or an index
  // outside 0-244 changes nothing) and stored where getParameter reads it.
  // While the engine is resumed the next block applies it through the write
  // path; while it is suspended it is applied at once.
  void setParameter(int index, float value);
  // The value the host sees: the last one written or loaded, applied or not.
  float getParameter(int index) const;
  // The value the render works with (what the audio thread last applied).
  float appliedParameter(int index) const;
  const float* parameters() const { return params; }

  // Suspended (from construction, and after suspend) the engine applies
  // writes and loads at once, under a lock that resume also takes; resumed
  // (after resume or any render call) they wait for the next block.
  void suspend();
  void resume();
  bool isResumed() const { return running.load(std::memory_order_acquire); }

  // Flags for parameters the engine changed itself during a block (MIDI controllers,
  // a completed MIDI learn); the plug-in reports and clears them after each block.
  bool parameterChanged(int index) const;
  void markParameterChanged(int index);
  void clearParameterChanged();

  // Stores the rate and hands it to every rate-dependent part; the delay lines
  // are sized for it. Never while a block renders: on a resumed engine it
  // waits for the running block to end and acts as suspend, set, resume.
  void setSampleRate(float rate);
  float getSampleRate() const { return sampleRate; }

  // Transport written by the event intake. Like a parameter write it is
  // applied at the start of the next block (or by resume, suspend or a
  // write while suspended), so
  // the delay and the LFOs never change under a block or a rate change.
  // getTempo and getSongPosition answer the last values written.
  void setTransport(float beatsPerMinute, float quarterNotes);
  float getTempo() const { return hostTempo.load(std::memory_order_acquire); }
  float getSongPosition() const { return hostPosition.load(std::memory_order_acquire); }

  // Event intake: filters a MIDI message and queues it for the render loop.
  // A full queue drops controllers and bend before notes, note-ons before note-offs.
  void queueMessage(const std::uint8_t* bytes, int length, std::int32_t deltaFrames);
  // Performs one queued message; false when fewer than three bytes are given.
  bool handleMessage(const std::uint8_t* bytes, int length);
  void clearQueues();
  const EventQueue& voiceEvents() const { return voiceQueue; }
  const EventQueue& effectEvents() const { return effectQueue; }

  // Note and controller actions of the message handler.
  void noteOn(int note, float velocity);
  void noteOff(int note);
  void releaseAll();
  void pitchBend(int lsb, int msb);

  // The voice pool (index limited to 0..51). isActive is the activity test: it
  // frees a voice whose envelope or sound has ended (a follower answers for its leader).
  SynthVoice& voice(int index) { return voices[clampIndex(index, kVoices)]; }
  const SynthVoice& voice(int index) const { return voices[clampIndex(index, kVoices)]; }
  bool isActive(int index);
  int activeVoiceCount();
  int lastNotePlayed() const { return lastNote; }

  // The six morph-envelope curves (harmonic X/Y, noise X/Y, amplitude X/Y, see
  // MorphEnvelopeIndex) and the formant filter curve over normalised frequency
  // 0..1, default (0, 1), (1, 1). The instrument file reads and writes them in
  // place (index limited to 0..5).
  BreakpointCurve& morphEnvelope(int index) { return morphEnvelopes[clampIndex(index, kMorphEnvelopes)]; }
  const BreakpointCurve& morphEnvelope(int index) const { return morphEnvelopes[clampIndex(index, kMorphEnvelopes)]; }
  BreakpointCurve& formantCurve() { return formant; }
  const BreakpointCurve& formantCurve() const { return formant; }
  // The formant curve sampled at j/256 for the noise grains; rebuilt per sub-block
  // while FormantFilterOn is set.
  const float* formantTable() const { return formantValues; }

  // The morph positions a voice uses for its next block of n frames.
  MorphPositions morphPositionsFor(const SynthVoice& v, int frames);

  // The random numbers of the noise phases: one generator per engine, seedable
  // so that a render can be reproduced.
  void seedNoise(unsigned seed) { noiseGenerator.random().seed(seed); }
  const RandomSource& noiseRandom() { return noiseGenerator.random(); }

  // MIDI learn, driven by the editor: the next controller below 120 binds to
  // the last touched parameter while learning is armed. Only host parameters
  // (0-172) can be learned: a command or menu index (the learn switch among
  // them) keeps the previous target.
  void setLearnArmed(bool armed) { learnArmed.store(armed, std::memory_order_release); }
  void setLearnTarget(int parameter) {
    if (parameter >= 0 && parameter < kNumHostParameters) learnTarget.store(parameter, std::memory_order_release);
  }
  bool isLearnArmed() const { return learnArmed.load(std::memory_order_acquire); }
  int getLearnTarget() const { return learnTarget.load(std::memory_order_acquire); }
  const MidiLearnMap& midiLearnMap() const { return learnMap; }

  // The parameter a controller value drives (through a learned binding or one
  // of the first eight modulation slots) and the value it writes; -1 for none.
  // Completes a pending MIDI learn.
  int resolveController(int controller, int value, float* parameterValue);

  // Clears the delay lines and filter memories of the effect units.
  void resetEffects();

  // Fills both buffers with 'frames' samples; consumes and empties the queues.
  void render(float* left, float* right, int frames);

  bool effectsBypassed() const { return silenceCounter > silenceLimit(); }

  void setDataFolder(const char* folder);
  const char* getDataFolder() const { return dataFolder; }

  EffectChain& effects() { return effectChain; }
  void setRenderObserver(RenderObserver* observer) { renderObserver = observer; }

  // Voice slots A-D (index 0-3).
  VoiceSlot& slot(int index) { return slots[index]; }
  const VoiceSlot& slot(int index) const { return slots[index]; }
  const NoteFrequencyTable& noteFrequencyTable() const { return noteFrequencies; }
  const NoteNameTable& noteNameTable() const { return noteNames; }

  // False when an allocation made while the engine was built failed.
  bool constructedCompletely() const;

  static constexpr int kInstrumentNameSize = 64;
  const char* getInstrumentName() const { return instrumentName; }
  void setInstrumentName(const char* name);

  // Loading beside the live state (engine/load_exchange.h), from any thread
  // but the audio thread. stageLoad waits for other loaders and returns the
  // load to fill (an earlier load not yet adopted included), or null when it
  // cannot be had; slotMask names the slots the loader may read into (bit n
  // for slot n). commitLoad hands what was staged to the engine and returns at
  // once: a resumed engine adopts it at the start of its next block (until
  // then getParameter and visibleInstrument answer from it); a suspended one
  // was read in place and adopts the rest now. Every stageLoad that returned
  // non-null needs its commitLoad, on the same thread.
  static constexpr unsigned kAllSlots = (1u << kNumSlots) - 1;
  PendingLoad* stageLoad(unsigned slotMask = kAllSlots);
  void commitLoad();

  // Asks for slot 'index' (0-3) to be prepared again from its live content
  // (key caches, markers, loop fit) after a change that needs it, such as a
  // larger multisample count. From the audio thread the engine's worker does
  // it beside the live slot, which plays as it is until a block adopts the
  // prepared content; on a suspended engine it happens at once.
  void requestSlotPreparation(int index);
  // Copies live slot 'index' into 'to' for a loader that holds the staging
  // area (nothing to do when 'to' is the live slot itself, read in place). A
  // write to a suspended engine prepares live slots in place under the
  // suspension lock, so the copy takes that lock too, unless the caller reads
  // in place and holds it already.
  void copyLiveSlot(VoiceSlot& to, int index);

  // The instrument as the host sees it; 'held' is the load the caller holds
  // through stageLoad (or null when it holds none and no load can be pending).
  InstrumentView visibleInstrument(const PendingLoad* held) const;

private:
  // The write path proper: stores the value the render uses and recomputes
  // what depends on it. Audio thread, or a suspended engine under its lock.
  void applyParameter(int index, float value);
  // A write the render makes itself (MIDI controllers, a completed learn):
  // visible to the host and applied at once.
  void writeParameterFromRender(int index, float value);
  // Applies every pending write in index order.
  void applyPendingParameters();
  // On a suspended engine: applies pending writes now unless a block renders.
  void applyWhileSuspended();
  void applyRate(float rate);
  // Waits until no block renders and takes the render gate (never from the
  // audio thread); leaveExclusive first does what needs allocation (the delay
  // lines the settings now need).
  void enterExclusive();
  void leaveExclusive();
  // The worker's task: delay lines and slot preparations the audio thread asked for.
  static void runBackgroundWork(void* engine);
  void prepareRequestedSlots();
  void applyParameterAction(int index, float x);
  // The actions that set voice-slot fields; false for any other index.
  bool applySlotParameterAction(int index, float x);
  // Rebuilds a slot's interpolation tables and markers after a change of its
  // rows in use (VoiceSlot::prepare).
  void prepareSlot(int slotIndex);
  void renderVoiceStage(float* mono, int frames);
  // Settings that follow the host tempo: the slot LFO rates.
  void applyTempoSettings();
  void applyLfoParameters();
  // Voice allocation steps.
  int firstFreeVoice();
  void fadeNoteOnSlot(int note, const VoiceSlot* slot);
  void limitVoices();
  void fixedMultisample(int slotIndex, int& row, int& layer) const;
  void startMorphGroup(int note, float frequency, float velocity);
  void startSingleSlotVoices(int note, float frequency, float velocity);
  void renderEffectStage(float* left, float* right, int frames);
  // Counts a silent output block towards the silence bypass.
  void countSilence(const float* left, const float* right, int frames);
  void applyOutputStage(float* x, float* y, int frames);
  // The gliding controls of the voice stage (slot volumes, morph knobs) for
  // the next sub-block of 'frames'.
  void advanceVoiceControls(int frames);
  // The glides take their targets at once (no sound to protect yet).
  void settleControls();
  // Hands every queued event due at 'position' to the message handler, starting at
  // 'next'; returns the index of the first event not yet due.
  int handleDueEvents(const EventQueue& queue, int next, int position);
  static int subBlockLength(const EventQueue& queue, int next, int position, int frames, int limit);
  int silenceLimit() const { return static_cast<int>(sampleRate * 2.0f); }
  static int clampIndex(int index, int count) { return index < 0 ? 0 : (index >= count ? count - 1 : index); }

  RenderObserver* renderObserver = nullptr;
  EffectChain effectChain;
  VoiceSlot slots[kNumSlots];
  NoteFrequencyTable noteFrequencies;
  NoteNameTable noteNames;
  SynthVoice* voices = nullptr;  // kVoices, allocated once at construction
  NoiseGenerator noiseGenerator;
  BreakpointCurve morphEnvelopes[kMorphEnvelopes];
  BreakpointCurve formant;
  float formantValues[kFormantTableSize] = {};
  int lastNote = -1;
  EventQueue voiceQueue;
  EventQueue effectQueue;

  MidiLearnMap learnMap;
  std::atomic<bool> learnArmed{false};
  std::atomic<int> learnTarget{-1};

  ParameterRoad road;
  std::mutex suspendedLock;          // writes, loads and rate changes of a suspended engine; resume and suspend
  std::atomic<bool> running{false};  // resumed, or a block was rendered since the last suspend
  float params[kNumParameters];
  bool changedFlags[kNumParameters];

  float sampleRate = 44100.0f;
  float tempo = 0.0f;  // as applied for the render
  float songPosition = 0.0f;
  std::atomic<float> hostTempo{0.0f};
  std::atomic<float> hostPosition{0.0f};
  std::atomic<bool> transportPending{false};
  void applyTransport();
  int silenceCounter = 1;
  char dataFolder[kDataFolderSize] = {};

  // Continuous controls applied by the render loop itself glide to each new
  // value over a few milliseconds instead of stepping the sound.
  static constexpr int kMorphKnobs = 6;  // harmonic X/Y, noise X/Y, amplitude X/Y
  SmoothedValue outputGain;
  SmoothedValue outputWidth;
  SmoothedValue harmonicLevel[kNumSlots];
  SmoothedValue noiseLevel[kNumSlots];
  SmoothedValue morphKnob[kMorphKnobs];
  float morphKnobStart[kMorphKnobs] = {};
  bool controlsFresh = true;    // nothing rendered since construction or resume
  bool loadingInPlace = false;  // the held load reads into the live slots (loader thread only)
  bool exclusive = false;       // a non-audio thread holds the render gate (suspended work)
  std::atomic<unsigned> slotPreparationRequests{0};
  BackgroundWorker worker{&SynthEngine::runBackgroundWork, this};

  // Adopts a staged load: the caller holds the render gate.
  void adoptLoad(PendingLoad& load);
  // At the start of a block: adopts a published load.
  void adoptPublishedLoad();
  // A block that meets a loader's adoption: silence, events kept for the next block.
  void renderWhileLoading(float* left, float* right, int frames);

  LoadExchange loadExchange;
  char instrumentName[kInstrumentNameSize] = {};
};

}  // namespace vt
