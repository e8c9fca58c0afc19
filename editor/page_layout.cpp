#include "editor/page_layout.h"

#include "editor/image_ids.h"

namespace vt {

LayoutTable pageLayout(int page) {
  if (page >= kFirstVoicePage && page < kFirstVoicePage + 4) return voicePageLayout();
  switch (page) {
    case kModulationPage:
      return modulationPageLayout();
    case kMorphPage:
      return morphPageLayout();
    case kMainPage:
      return mainPageLayout();
    case kEffectsPage:
      return effectsPageLayout();
    default:
      return {nullptr, 0};
  }
}

int pageBackground(int page) {
  if (page >= kFirstVoicePage && page < kFirstVoicePage + 4) return kImageVoicePage;
  switch (page) {
    case kModulationPage:
      return kImageModulationPage;
    case kMorphPage:
      return kImageMorphPage;
    case kMainPage:
      return kImageMainPage;
    case kEffectsPage:
      return kImageEffectsPage;
    default:
      return 0;
  }
}

}  // namespace vt
