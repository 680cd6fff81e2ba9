// The template font: the first font the first template printed since the
// program started creates (its face and character set); every region
// handler draws in it from then on, at the handler's own weight, slant and
// size. A template that names no face leaves the system's sans serif.
#pragma once

#include <QFont>
#include <string>

#include "printing/metafile/metafile_reader.h"

// Keeps the font as the template font unless one is held already.
void OfferTemplateFont(const wmf::Font& font);
// Drops the held font, so the next template printed gives it again.
void ForgetTemplateFont();
// The face the template font names, in UTF-8; empty while none is held.
std::string TemplateFontFace();

// A font of the named face (Windows-1252); the sans serif for none.
QFont FontOfFace(const std::string& face);

// What a handler draws with: the template font at the weight (400 normal,
// 700 bold) and slant, SIZE × 1000 / 72 template units high (so SIZE is
// about the size in points), unit being device units per template unit.
QFont HandlerFont(int size, int weight, bool italic, double unit);
