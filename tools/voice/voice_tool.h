// vt7000-voice: analyses recordings (WAV, AIFF) into voice data.
//
//   vt7000-voice FILE... [--note N | --root HZ] [--loud FILE]... [--voice OUT.v7v]
//                [--instrument OUT.v7i] [--blocks DIR] [--preview OUT.wav [--preview-blended]]
//                [--plot OUT.png] [--no-reduction]
//
// --no-reduction keeps as many breakpoints as the voice format holds (128 per
// curve, 64 noise frames) instead of the standard envelope reduction; it is
// meant for measuring what the reduction costs.
// The preview plays the first multisample soloed; --preview-blended plays it
// through the key and velocity blend that unsoloed notes use.
// Every input is imported (mixed to mono, trimmed, normalised, at most 12 s),
// given its root frequency (--note / --root, else the header's base note, else
// a note named at the end of the file name, else pitch detection) and
// analysed. Inputs named with --loud form the loud velocity layer; the others
// the soft one. Multisample rows follow the soft inputs by ascending root;
// each loud input joins the row whose root is nearest its own (a row without
// one plays its soft layer for loud notes too).
//
// Per input one line goes to standard output:
//   FILE: root F Hz (header|file name|detection|option), partials P, breakpoints H/N, T s
// with P the harmonics that sound, H and N the harmonic and noise breakpoints
// and T the length of the analysed sound. Several inputs show a progress bar
// on a terminal's standard error.
//
// Only the files named by options are written, each to a temporary file in
// its folder that is then renamed over the target; nothing is written unless
// every input was read and analysed. Exit status: 0 on success, 1 when an
// input cannot be read ("Unsupported file format." on standard error) or an
// output cannot be written, 2 on a usage error.
#pragma once

#include <cstdio>

namespace vt::voice {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int runVoiceTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace vt::voice
