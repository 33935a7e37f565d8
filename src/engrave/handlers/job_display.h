// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running job's progress, kept from the upload to the end of the job, and its bar over the preview.
#include <optional>
#include <string>

#include "app/console.h"
#include "engrave/job_progress.h"
#include "raster/raster.h"

namespace tessary::engrave {

JobProgress& jobProgress(Console& console);
// Shows the job's bar as the progress says (hidden outside a job); the bar is redrawn only when its text
// changes. While the job waits for the machine's first report, the bar is looked at again now and then.
void showJobProgress(Console& console);
// A line in the bar outside a job, until the next job's bar takes its place.
void showJobNote(Console& console, std::string text);
// The upload takes the bar over.
void forgetJobBar(Console& console);
// The canvas shows the picture again, without the marks of the reports so far.
void redrawCanvas(Console& console, const image::Raster& picture);

}  // namespace tessary::engrave
