// Our own declaration of the VST 2 binary interface: the descriptor record a
// host receives from the module's entry point, the callback types, opcode and
// flag numbers, and the event, time and pin records exchanged with the host.
// Layouts follow the platform's natural alignment (8-byte packing), which is
// what hosts expect on both 32-bit and 64-bit Windows and on Linux.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VST_CALLBACK __cdecl
#else
#define VST_CALLBACK
#endif

namespace vst2 {

using Int32 = std::int32_t;
using IntPtr = std::intptr_t;

constexpr Int32 fourCharCode(char a, char b, char c, char d) {
  return static_cast<Int32>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                            (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                            (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                            static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

constexpr Int32 kEffectMagic = fourCharCode('V', 's', 't', 'P');
constexpr Int32 kVstVersion = 2400;

struct AEffect;

using HostCallback = IntPtr(VST_CALLBACK*)(AEffect* effect, Int32 opcode, Int32 index, IntPtr value, void* ptr,
                                           float opt);
using DispatcherProc = IntPtr(VST_CALLBACK*)(AEffect* effect, Int32 opcode, Int32 index, IntPtr value, void* ptr,
                                             float opt);
using ProcessProc = void(VST_CALLBACK*)(AEffect* effect, float** inputs, float** outputs, Int32 sampleFrames);
using ProcessDoubleProc = void(VST_CALLBACK*)(AEffect* effect, double** inputs, double** outputs, Int32 sampleFrames);
using SetParameterProc = void(VST_CALLBACK*)(AEffect* effect, Int32 index, float value);
using GetParameterProc = float(VST_CALLBACK*)(AEffect* effect, Int32 index);

// The plug-in's descriptor. The host reads the counts and flags and calls
// through the function pointers; 'object' points back to the C++ instance.
struct AEffect {
  Int32 magic;
  DispatcherProc dispatcher;
  ProcessProc process;  // accumulating process, deprecated but still called by old hosts
  SetParameterProc setParameter;
  GetParameterProc getParameter;
  Int32 numPrograms;
  Int32 numParams;
  Int32 numInputs;
  Int32 numOutputs;
  Int32 flags;
  IntPtr resvd1;
  IntPtr resvd2;
  Int32 initialDelay;
  Int32 realQualities;
  Int32 offQualities;
  float ioRatio;
  void* object;
  void* user;
  Int32 uniqueID;
  Int32 version;
  ProcessProc processReplacing;
  ProcessDoubleProc processDoubleReplacing;
  char future[56];
};

// AEffect::flags
enum EffectFlags : Int32 {
  effFlagsHasEditor = 1 << 0,
  effFlagsHasClip = 1 << 1,
  effFlagsHasVu = 1 << 2,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Requests from the host to the plug-in (dispatcher opcodes).
enum EffectOpcode : Int32 {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,
  effEditMouse = 17,
  effEditKey = 18,
  effEditIdle = 19,
  effEditTop = 20,
  effEditSleep = 21,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,
  effConnectInput = 31,
  effConnectOutput = 32,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,
  effGetDestinationBuffer = 37,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetIcon = 54,
  effSetViewPosition = 55,
  effGetParameterProperties = 56,
  effKeysRequired = 57,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// Requests from the plug-in to the host (callback opcodes).
enum HostOpcode : Int32 {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterPinConnected = 4,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
};

enum PlugCategory : Int32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

// Buffer sizes hosts allocate for the string requests (including the zero).
constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxLabelLen = 64;
constexpr int kVstMaxShortLabelLen = 8;

enum EventType : Int32 {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// Generic event header; the host's list holds pointers to events of this shape.
struct VstEvent {
  Int32 type;
  Int32 byteSize;
  Int32 deltaFrames;
  Int32 flags;
  char data[16];
};

struct VstMidiEvent {
  Int32 type;  // kVstMidiType
  Int32 byteSize;
  Int32 deltaFrames;  // frame offset within the coming block
  Int32 flags;
  Int32 noteLength;
  Int32 noteOffset;
  char midiData[4];  // 1 to 3 MIDI bytes, zero padded
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

// Variable-length list: the host allocates room for numEvents pointers.
struct VstEvents {
  Int32 numEvents;
  IntPtr reserved;
  VstEvent* events[2];
};

enum TimeInfoFlags : Int32 {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;  // song position in quarter notes
  double tempo;   // beats per minute
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  Int32 timeSigNumerator;
  Int32 timeSigDenominator;
  Int32 smpteOffset;
  Int32 smpteFrameRate;
  Int32 samplesToNextClock;
  Int32 flags;
};

enum PinFlags : Int32 {
  kVstPinIsActive = 1,
  kVstPinIsStereo = 1 << 1,
  kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  Int32 flags;
  Int32 arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

// Editor rectangle in pixels.
struct ERect {
  std::int16_t top;
  std::int16_t left;
  std::int16_t bottom;
  std::int16_t right;
};

// Layout checks: hosts compiled elsewhere read these records by offset.
#define VT7000_LAYOUT(type, field, off32, off64) \
  static_assert(offsetof(type, field) == (sizeof(void*) == 4 ? (off32) : (off64)), #type "::" #field)

VT7000_LAYOUT(AEffect, dispatcher, 4, 8);
VT7000_LAYOUT(AEffect, numPrograms, 20, 40);
VT7000_LAYOUT(AEffect, flags, 36, 56);
VT7000_LAYOUT(AEffect, resvd1, 40, 64);
VT7000_LAYOUT(AEffect, initialDelay, 48, 80);
VT7000_LAYOUT(AEffect, ioRatio, 60, 92);
VT7000_LAYOUT(AEffect, object, 64, 96);
VT7000_LAYOUT(AEffect, uniqueID, 72, 112);
VT7000_LAYOUT(AEffect, processReplacing, 80, 120);
VT7000_LAYOUT(AEffect, processDoubleReplacing, 84, 128);
VT7000_LAYOUT(AEffect, future, 88, 136);
static_assert(sizeof(AEffect) == (sizeof(void*) == 4 ? 144 : 192), "AEffect size");

VT7000_LAYOUT(VstEvents, reserved, 4, 8);
VT7000_LAYOUT(VstEvents, events, 8, 16);
static_assert(sizeof(VstEvent) == 32 && sizeof(VstMidiEvent) == 32, "event size");
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8 && offsetof(VstMidiEvent, midiData) == 24,
              "VstMidiEvent layout");

static_assert(offsetof(VstTimeInfo, ppqPos) == 24 && offsetof(VstTimeInfo, tempo) == 32, "VstTimeInfo");
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64 && offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo");
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");

static_assert(offsetof(VstPinProperties, flags) == 64 && offsetof(VstPinProperties, shortLabel) == 72,
              "VstPinProperties layout");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
static_assert(sizeof(ERect) == 8, "ERect size");

#undef VT7000_LAYOUT

}  // namespace vst2
