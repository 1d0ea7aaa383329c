// The windows' own pictures as Qt pixmaps (App_Picture decodes them).
#pragma once
#include <QPixmap>

#include "app/embedded_pictures.h"

// The picture as a pixmap for a window drawn at device_pixel_ratio (its own copy of the pixels):
// a larger rendering where there is one, standing at the plain picture's size. Null when unknown.
QPixmap App_Picture_Pixmap(const char *name, double device_pixel_ratio);
