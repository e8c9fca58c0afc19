// The library's category folders, named as the random voice choice and the
// random instrument generator know them.
#pragma once

namespace vt::categories {

inline constexpr char kBasses[] = "Basses";
inline constexpr char kBrass[] = "Brass-Winds";
inline constexpr char kChromatics[] = "Chromatics";
inline constexpr char kGuitars[] = "Guitars";
inline constexpr char kOrgans[] = "Organs";
inline constexpr char kPianos[] = "Pianos";
inline constexpr char kStrings[] = "Strings";
inline constexpr char kLeads[] = "Synth Leads";
inline constexpr char kPads[] = "Synth Pads";
inline constexpr char kVoices[] = "Voices";

}  // namespace vt::categories
