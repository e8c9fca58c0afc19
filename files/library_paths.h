// Names and paths of the library beside the module: the factory instruments,
// the voices and the reset instrument. Every path is built into a caller's
// buffer and refused (false, buffer empty) when it would not fit or when the
// data root is unknown, so a cut-off path never opens some other file.
#pragma once

namespace vt {

constexpr char kDataFolderName[] = "Veltrane7000Data";
constexpr char kFactoryInstrumentsFolderName[] = "Instruments-Factory";
constexpr char kVoicesFolderName[] = "Voices";
constexpr char kResetFileName[] = "Reset.v7i";

constexpr char kInstrumentExtension[] = "v7i";
constexpr char kVoiceExtension[] = "v7v";
constexpr char kHarmonicBlockExtension[] = "v7h";
constexpr char kNoiseBlockExtension[] = "v7n";

constexpr int kLibraryPathSize = 1024;  // room for any library path we build

// Joins up to three parts with 'separator' and appends "." and 'extension'
// when one is given. Empty or null parts are refused.
bool joinLibraryPath(char* out, int size, char separator, const char* first, const char* second,
                     const char* third = nullptr, const char* extension = nullptr);

// dataRoot + "Veltrane7000Data" + "Instruments-Factory".
bool factoryInstrumentRoot(const char* dataRoot, char separator, char* out, int size);
// dataRoot + "Veltrane7000Data" + "Voices".
bool voiceRoot(const char* dataRoot, char separator, char* out, int size);
// dataRoot + "Reset.v7i", beside the module.
bool resetFilePath(const char* dataRoot, char separator, char* out, int size);

// A voice chosen in a voice menu: root/category/item.v7v inside a category,
// root/item.v7v for a top-level item (category null or empty). 'extension'
// replaces "v7v" when given and not empty (a listed file's own spelling).
bool voiceMenuPath(const char* voicesRoot, char separator, const char* category, const char* item, char* out, int size,
                   const char* extension = nullptr);

}  // namespace vt
