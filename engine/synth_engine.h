// The synthesis engine: parameter array and write path, MIDI event queues,
// voices and effect units, and the render loop that turns one host block of
// queued events into two output channels.
#pragma once

#include <cstdint>

#include "effects/effect_chain.h"
#include "engine/breakpoint_curve.h"
#include "engine/event_queue.h"
#include "engine/load_exchange.h"
#include "engine/midi_learn_map.h"
#include "engine/morph_envelope_ids.h"
#include "engine/note_frequency_table.h"
#include "engine/note_name_table.h"
#include "engine/parameter_ids.h"
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

  SynthEngine();
  ~SynthEngine();

  SynthEngine(const SynthEngine&) = delete;
  SynthEngine& operator=(const SynthEngine&) = delete;

  // Stores the value (indices 0-244; others are ignored) and recomputes what depends on it.
  void setParameter(int index, float value);
  float getParameter(int index) const;
  const float* parameters() const { return params; }

  // Flags for parameters the engine changed itself during a block (MIDI controllers,
  // a completed MIDI learn); the plug-in reports and clears them after each block.
  bool parameterChanged(int index) const;
  void markParameterChanged(int index);
  void clearParameterChanged();

  void setSampleRate(float rate);
  float getSampleRate() const { return sampleRate; }

  // Transport written by the event intake.
  void setTransport(float beatsPerMinute, float quarterNotes);
  float getTempo() const { return tempo; }
  float getSongPosition() const { return songPosition; }

  // Event intake: filters a MIDI message and queues it for the render loop.
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

  // MIDI learn, driven by the editor: the next controller below 120 binds to
  // the last touched parameter while learning is armed.
  void setLearnArmed(bool armed) { learnArmed = armed; }
  void setLearnTarget(int parameter) { learnTarget = parameter; }
  bool isLearnArmed() const { return learnArmed; }
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

  // The six morph-envelope curves (MorphEnvelopeId) and the formant curve.
  BreakpointCurve& morphEnvelope(int id) { return morphEnvelopes[id]; }
  const BreakpointCurve& morphEnvelope(int id) const { return morphEnvelopes[id]; }
  BreakpointCurve& formant() { return formantCurve; }
  const BreakpointCurve& formant() const { return formantCurve; }

  static constexpr int kInstrumentNameSize = 64;
  const char* getInstrumentName() const { return instrumentName; }
  void setInstrumentName(const char* name);

  // Loading beside the live state (engine/load_exchange.h), from any thread
  // but the audio thread. stageLoad waits for other loaders and returns the
  // cleared staging area, or null when it cannot be had; commitLoad hands what
  // was staged to the engine, returns once it has been adopted between two
  // render blocks, and gives the staging area back. Every stageLoad that
  // returned non-null needs its commitLoad.
  PendingLoad* stageLoad();
  void commitLoad();

private:
  void applyParameterAction(int index, float x);
  // The actions that set voice-slot fields; false for any other index.
  bool applySlotParameterAction(int index, float x);
  void renderVoiceStage(float* mono, int frames);
  void renderEffectStage(float* left, float* right, int frames);
  void applyOutputStage(float* x, float* y, int frames) const;
  // Hands every queued event due at 'position' to the message handler, starting at
  // 'next'; returns the index of the first event not yet due.
  int handleDueEvents(const EventQueue& queue, int next, int position);
  int silenceLimit() const { return static_cast<int>(sampleRate * 2.0f); }

  RenderObserver* renderObserver = nullptr;
  EffectChain effectChain;
  VoiceSlot slots[kNumSlots];
  NoteFrequencyTable noteFrequencies;
  NoteNameTable noteNames;
  EventQueue voiceQueue;
  EventQueue effectQueue;

  MidiLearnMap learnMap;
  bool learnArmed = false;
  int learnTarget = -1;

  float params[kNumParameters];
  bool changedFlags[kNumParameters];

  float sampleRate = 44100.0f;
  float tempo = 0.0f;
  float songPosition = 0.0f;
  int silenceCounter = 1;
  char dataFolder[kDataFolderSize] = {};

  // Adopts a staged load: the caller holds the render gate.
  void adoptLoad(PendingLoad& load);
  // At the start of a block: adopts a published load.
  void adoptPublishedLoad();
  // A block that meets a loader's adoption: silence, events kept for the next block.
  void renderWhileLoading(float* left, float* right, int frames);

  LoadExchange loadExchange;
  BreakpointCurve morphEnvelopes[kNumMorphEnvelopes];
  BreakpointCurve formantCurve;
  char instrumentName[kInstrumentNameSize] = {};
};

}  // namespace vt
