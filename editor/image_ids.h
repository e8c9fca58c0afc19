// Resource ids of the editor's bitmaps and the size of one state of each.
#pragma once

namespace vt {

enum ImageId : int {
  kImageBackground = 128,
  kImageVoicePage = 137,
  kImageMorphPad = 138,
  kImageCurvePoint = 139,
  kImageCharacters = 140,
  kImageFieldArrows = 141,
  kImageDigits = 144,
  kImageSolo = 146,
  kImageLoop = 147,
  kImageFileButton = 148,
  kImageFileNeighbour = 149,
  kImageModulationPage = 150,
  kImageMorphPage = 151,
  kImageMainPage = 152,
  kImageEffectsPage = 153,
  kImageKnobFilm = 154,
  kImageSmallSwitch = 155,
  kImageImport = 156,
  kImageWholeEnvelope = 157,
  kImageRadioEntry = 158,
  kImageLoadInstrument = 159,
  kImageRandom = 160,
  kImageSpareCommand = 161,
  kImageReset = 162,
  kImageMidiLearn = 163,
  kImageFrequencyEdit = 164,
  kImageEnvelopeMode = 165,
  kImageNumHarmonics = 166,
  kImageEnvelopeVariant = 167,
  kImageModulationTrack = 168,
  kImageSliderHandle = 169,
  kImageSoft = 170,
  kImageLoud = 171,
  kImageSoftToLoud = 172,
  kImageSync = 174,
  kImageInstrumentMenu = 175,
  kImageModulationMenu = 176,
  kImageRandomVoices = 177,
  kImageHarmonize = 178,
};

constexpr int kFirstImageId = 128;
constexpr int kLastImageId = 178;

// Page tab k (0-7) uses these images, in this order.
constexpr int kTabImages[8] = {129, 130, 131, 132, 134, 133, 135, 136};

// Character cells of the character strip (ASCII from the blank on), and digit cells of the digit strip.
constexpr int kCharacterCellWidth = 8;
// Characters of the strip advance 7 pixels (their ink fits the cell's first
// seven columns), so a seven-letter label like "Octaves" fits a field.
constexpr int kCharacterAdvance = 7;
constexpr int kFirstCharacter = 32;
constexpr int kDigitCellWidth = 4;

}  // namespace vt
