// Base of a plug-in's editor as the VST 2 layer sees it: the dispatcher's
// editor requests are forwarded to these virtuals. Constructing an editor
// registers it with its effect (editor pointer and effFlagsHasEditor).
#pragma once

#include "vst2/aeffect.h"

namespace vst2 {

class AudioEffect;

class AEffEditor {
public:
  explicit AEffEditor(AudioEffect* effect);
  virtual ~AEffEditor() = default;

  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  virtual bool getRect(ERect** rect) {
    *rect = nullptr;
    return false;
  }
  virtual bool open(void* parentWindow) {
    systemWindow = parentWindow;
    return false;
  }
  virtual void close() { systemWindow = nullptr; }
  virtual bool isOpen() const { return systemWindow != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(int /*character*/, int /*virtualKey*/, int /*modifiers*/) { return false; }
  virtual bool onKeyUp(int /*character*/, int /*virtualKey*/, int /*modifiers*/) { return false; }
  virtual bool onWheel(float /*distance*/) { return false; }
  virtual bool setKnobMode(int /*mode*/) { return false; }

  AudioEffect* getEffect() const { return effect; }

protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
};

}  // namespace vst2
