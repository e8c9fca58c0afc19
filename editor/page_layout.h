// The editor's layout tables: the controls of the frame (shown on every page)
// and of each of the eight pages, in the order they are built.
#pragma once

#include "editor/layout_entry.h"

namespace vt {

constexpr int kPageCount = 8;
constexpr int kFirstVoicePage = 0;  // pages 0-3 edit voices A-D
constexpr int kModulationPage = 4;
constexpr int kMorphPage = 5;
constexpr int kMainPage = 6;
constexpr int kEffectsPage = 7;

// Where the pages sit in the frame (their own coordinates start here).
constexpr int kPageLeft = 16;
constexpr int kPageTop = 92;
constexpr int kPageRight = 787;
constexpr int kPageBottom = 479;

// A layout table: entries and their count.
struct LayoutTable {
  const LayoutEntry* entries;
  int count;
};

LayoutTable frameLayout();
LayoutTable voicePageLayout();
LayoutTable modulationPageLayout();
LayoutTable morphPageLayout();
LayoutTable mainPageLayout();
LayoutTable effectsPageLayout();

// The table of page 0-7 (the four voice pages share one table).
LayoutTable pageLayout(int page);

// Background image of page 0-7.
int pageBackground(int page);

}  // namespace vt
