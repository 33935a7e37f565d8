// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture pipeline draws on the model's rasters: a canvas is a unit's pixels.
#include "app/model/raster.h"
