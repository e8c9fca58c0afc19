// vt7000-voice: recordings into voice data (see tools/voice/voice_tool.h).
#include <cstdio>

#include "tools/voice/voice_tool.h"

int main(int argc, char** argv) { return vt::voice::runVoiceTool(argc, argv, stdout, stderr); }
