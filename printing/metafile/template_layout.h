// What a page template holds besides its drawing: the regions drawn with
// the marker pen and the "~NAME,SIZE^" labels that name them.
//
// The marker pen is a pen of width 0 whose colour has red 255 and green 0.
// A rectangle drawn with it is a region; it is never printed. A label is
// text between "~" and "^"; it is never printed either. Each label is
// matched to the first region still free (in the order the regions were
// drawn) whose inside holds the label's position; the region then serves
// that label alone.
//
// Two ways of writing both are read:
//   - the plain templates: a region is a polyline of exactly 5 points whose
//     first and third points are opposite corners; a label is one text
//     record per character, of which only the first character counts, and
//     the label stands where its "~" record stands;
//   - what drawing programs write into placeable metafiles: a rectangle
//     comes as a closed polyline of 5 or more points along its sides (one
//     program starts it in the middle of an edge), taken as its bounding
//     rectangle; a label comes whole in one text record ("~DAY^").
//
// The layout is worked out before anything is drawn, so a template whose
// regions or labels do not hold together says so at the step where the
// page would stop.
#pragma once

#include <string>
#include <vector>

#include "printing/metafile/metafile_reader.h"

namespace wmf {

constexpr int kMaxRegions = 100;

// A region in the metafile's own coordinates, corners in any order.
struct Region {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  // Whether the point lies strictly inside.
  bool Holds(int x, int y) const;
};

// One step of playing a template: a record to draw, a label to fill, or
// the message that stops the page there.
struct Step {
  enum Kind { kDraw, kLabel, kStop } kind = kDraw;
  size_t record = 0;    // kDraw: the index into Metafile::records
  std::string name;     // kLabel: the label's name, as written
  int size = 0;         // kLabel: the number after the comma, 0 without
  Region region;        // kLabel: the region it fills
  std::string message;  // kStop
};

struct TemplateLayout {
  std::vector<Region> regions;  // as collected, before labels take them
  std::vector<Step> steps;
};

// Collects the regions and pairs the labels with them. The steps end with a
// kStop step at the first of: a marker polyline that is no rectangle ("Error
// in metafile region."), a "~" inside a label ("Error in file."), a label
// outside every free region ("Could not find region boundary.").
TemplateLayout LayOutTemplate(const Metafile& file);

// Whether a pen is the marker pen.
bool IsMarkerPen(const Pen& pen);

}  // namespace wmf
