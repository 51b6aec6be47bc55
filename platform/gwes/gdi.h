// The drawing interface of the window system: the GDI subset in one include.
#pragma once

#include "platform/gwes/gdi/bitmap.h"
#include "platform/gwes/gdi/blit.h"
#include "platform/gwes/gdi/device_context.h"
#include "platform/gwes/gdi/draw_text.h"
#include "platform/gwes/gdi/fill.h"
#include "platform/gwes/gdi/gdi_objects.h"
#include "platform/gwes/gdi/text.h"
#include "platform/gwes/rect.h"
