#include "profiler/overlay.h"

#include <string>

#include "profiler/profile_manager.h"
#include "profiler/profile_report.h"
#include "text/font_table.h"
#include "text/text_mesh.h"

void RunProfilerOverlay() {
  PROFILE_ZONE(overlayZone, "ShowProfiling");
  ZoneGuard guard(overlayZone);
  // Updating first means the first overlay frame already shows the tree.
  profileManager.update();
  const std::string report = treeReportText(profileManager);
  if (defaultFont == nullptr) return;
  TextMesh* mesh = MakeText(*defaultFont, report, -1);
  DrawTextMesh(*mesh, 25, 25, 1.0f, 1.0f, 1.0f, 1.0f);
  FreeTextMesh(mesh);
}
