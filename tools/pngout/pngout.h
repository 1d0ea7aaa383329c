// Build tools: writes a picture as a PNG for the program to decode quickly.
#pragma once
#include <QImage>
#include <string>

// RGBA with straight alpha, best compression and no row filters: the program's flat drawn pictures
// compress as well without them and decode in half the time (undoing the filters libpng picks by
// default costs more than inflating). The same picture always gives the same bytes. False when the
// file cannot be written.
bool Tool_Save_Png(const QImage &img, const std::string &file);
