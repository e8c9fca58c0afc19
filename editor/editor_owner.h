// What the editor needs from the plug-in that owns it. The editor never sees
// the plug-in's own types; the plug-in implements this interface.
#pragma once

#include <cstddef>

namespace vt {

class SynthEngine;

class EditorOwner {
public:
  virtual ~EditorOwner() = default;

  // A control's change as the host should hear it: an automated parameter write.
  virtual void automateParameter(int index, float value) = 0;
  virtual float readParameter(int index) = 0;
  // Brackets a drag so that the host records it as one gesture.
  virtual void beginParameterEdit(int index) = 0;
  virtual void endParameterEdit(int index) = 0;

  virtual SynthEngine* synthEngine() = 0;
  // The folder that holds the module and its library folders.
  virtual const char* dataFolder() = 0;

  // The editor read-out of a parameter value ("50 ", "1/16 ", "2.5 ").
  virtual void formatReadout(int index, float value, char* text, std::size_t size) = 0;
  // The parameter's name as the host sees it ("FilterCutoff").
  virtual void parameterName(int index, char* text, std::size_t size) = 0;
  // After the editor loaded an instrument (or random voices): the host is
  // asked to read every parameter again.
  virtual void instrumentLoaded() {}
};

}  // namespace vt
