// The colours the editor draws with itself; they match the artwork.
#pragma once

#include "gui/gui_types.h"

namespace vt {

constexpr gui::Color kFieldColor = gui::rgb(0x0e, 0x11, 0x15);  // number fields, menus, displays
constexpr gui::Color kFieldEdgeColor = gui::rgb(0x4a, 0x53, 0x61);
constexpr gui::Color kFieldTextColor = gui::rgb(0xf3, 0xd9, 0xa6);
constexpr gui::Color kReadoutColor = gui::rgb(0x14, 0x17, 0x1c);  // the wells under knob read-outs
constexpr gui::Color kReadoutTextColor = gui::rgb(0xf0, 0xc8, 0x82);
constexpr gui::Color kDisplayGridColor = gui::rgb(0x1f, 0x33, 0x37);
constexpr gui::Color kDisplayLineColor = gui::rgb(0x49, 0xc6, 0xc9);
constexpr gui::Color kDisplayPointColor = gui::rgb(0xf3, 0xd9, 0xa6);  // the selected curve point
constexpr gui::Color kDisplayLabelColor = gui::rgb(0x7f, 0x9a, 0x9c);  // axis and harmonic numbers
constexpr gui::Color kDisplayBarColor = gui::rgb(0x3a, 0xa8, 0xab);
constexpr gui::Color kDisplayBarTopColor = gui::rgb(0x8e, 0xe8, 0xea);
constexpr gui::Color kLoopFlagColor = gui::rgb(0xe0, 0x8a, 0x3c);
// Morph pad markers: harmonics, noise, amplitude, and the marker edge.
constexpr gui::Color kMarkerHarmonicsColor = gui::rgb(0x49, 0xc6, 0xc9);
constexpr gui::Color kMarkerNoiseColor = gui::rgb(0xe0, 0x8a, 0x3c);
constexpr gui::Color kMarkerAmplitudeColor = gui::rgb(0xf3, 0xd9, 0xa6);
constexpr gui::Color kMarkerEdgeColor = gui::rgb(0x0e, 0x11, 0x15);
constexpr gui::Color kPanelColor = gui::rgb(0x26, 0x2b, 0x33);
// Pixels of this colour in a bitmap leave the background visible.
constexpr gui::Color kTransparentColor = gui::rgb(255, 0, 255);

}  // namespace vt
