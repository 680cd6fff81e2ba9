// Plays a page template onto a painter: the drawing scaled onto the page,
// the marker rectangles and labels left out, and at each label the filler
// the page gives it, with the label's region as a rectangle on the page.
#pragma once

#include <QPainter>
#include <QRectF>
#include <functional>
#include <string>

#include "printing/metafile/metafile_reader.h"
#include "printing/metafile/template_layout.h"

// Device units per template unit: 7500 template units span the printable
// width of the page, about 1000 to the inch on a letter page, whatever the
// template's own scale. Handlers measure their indents, boxes and type in
// these units.
double TemplateUnit(const QRectF& page);

// Fills one label's region; false stops the page, with *message saying why
// (empty for a stop the filler reports itself).
using LabelFiller =
    std::function<bool(const wmf::Step& label, const QRectF& region, std::string* message)>;

struct PlayResult {
  bool ok = true;
  std::string message;  // why the page stopped
};

// Where a template lands: a plain template is drawn at 7500 units across
// the page with y growing upwards from the page's top, its own window
// extent not played; a placeable template's window (its own origin and
// extent, or its bounding box) is scaled to fit the page, keeping its
// proportions, from the page's top left corner.
//
// The first font a template creates that names a face becomes the
// template font (template_font.h) when none is held yet.
PlayResult PlayTemplate(QPainter& painter, const QRectF& page, const wmf::Metafile& file,
                        const wmf::TemplateLayout& layout, const LabelFiller& fill);
