// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Painting text needs Qt's font database, which needs a Gui application object.

namespace tessary::render {

// Makes one (offscreen, unless the environment names a platform) when the program has none; false when
// it has only a non-Gui application object, where text cannot be painted.
bool ensureGuiApplication();

}  // namespace tessary::render
