// A read-out: the value as text through a formatter (the "string convert"
// function), drawn with a font, font colour, background colour, frame colour,
// alignment and style. Not mouse-driven.
#pragma once

#include "gui/control.h"

namespace vt::gui {

// Writes the text for value into text (capacity 256 including the terminator).
using StringConvert = void (*)(float value, char* text, void* userData);

enum DisplayStyle : int {
  kNoFrame = 1,           // no outline
  kNoDrawBackground = 2,  // background not filled (transparent read-out)
  kShadowText = 4,        // text drawn a second time one pixel down-right in the shadow colour
};

class ParamDisplay : public Control {
public:
  static constexpr int kTextCapacity = 256;

  ParamDisplay(const Rect& size, const GuiBitmap* background = nullptr, int style = 0);

  void draw(DrawContext& context) override;
  MouseResult onMouseDown(const MouseEvent& event) override;

  virtual void setStyle(int s) {
    style = s;
    setDirty();
  }
  int getStyle() const { return style; }
  virtual void setFont(const BitmapFont* f) {
    font = f;
    setDirty();
  }
  virtual void setFontColor(Color c) {
    fontColor = c;
    setDirty();
  }
  virtual void setBackColor(Color c) {
    backColor = c;
    setDirty();
  }
  virtual void setFrameColor(Color c) {
    frameColor = c;
    setDirty();
  }
  virtual void setShadowColor(Color c) {
    shadowColor = c;
    setDirty();
  }
  virtual void setHoriAlign(HoriAlign a) {
    align = a;
    setDirty();
  }
  virtual void setStringConvert(StringConvert convert, void* userData = nullptr);

  // The text the display shows now (formatter output, or "%2.2f" of the value without one).
  void getDisplayText(char* text) const;

protected:
  // Draws text with this display's style inside its rectangle.
  void drawText(DrawContext& context, const char* text);

  int style;
  const BitmapFont* font = nullptr;  // nullptr: the built-in font
  Color fontColor = kWhite;
  Color backColor = kBlack;
  Color frameColor = kBlack;
  Color shadowColor = kBlack;
  HoriAlign align = HoriAlign::Center;
  StringConvert convert = nullptr;
  void* convertData = nullptr;
};

}  // namespace vt::gui
