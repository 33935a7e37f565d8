// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running job's progress, kept from the upload to the end of the job, and its bar over the preview.
#include "app/console.h"
#include "engrave/job_progress.h"

namespace tessary::engrave {

JobProgress& jobProgress(Console& console);
// Shows the job's bar as the progress says (hidden outside a job); the bar is redrawn only when its text
// changes.
void showJobProgress(Console& console);
// The upload takes the bar over.
void forgetJobBar(Console& console);

}  // namespace tessary::engrave
