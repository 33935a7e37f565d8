// SPDX-License-Identifier: GPL-3.0-or-later
// Every binding of the window definitions resolves to a registered handler, and every area registers
// all the handlers it brings.
#include <gtest/gtest.h>

#include <set>

#include "app/definitions/definitions.h"
#include "console/program_parts.h"

namespace tessary {
namespace {

enum class Area { Shell, Link, Image, Engrave };

// The handler ids of each area: the one place that says who brings which handler.
const std::map<std::string, Area> kHandlerAreas = {
    {"startup", Area::Shell},
    {"openSetting", Area::Shell},
    {"showVersion", Area::Shell},
    {"connect", Area::Link},
    {"disconnect", Area::Link},
    {"automaticConnection", Area::Link},
    {"connectionLost", Area::Link},
    {"takeInPicture", Area::Image},
    {"deletePreviewFile", Area::Image},
    {"rotate", Area::Image},
    {"reload", Area::Image},
    {"zoomOut", Area::Image},
    {"zoomIn", Area::Image},
    {"openPictureOptions", Area::Image},
    {"showPictureOptions", Area::Image},
    {"pictureOptionChanged", Area::Image},
    {"pictureOptionSliding", Area::Image},
    {"pictureOptionPressed", Area::Image},
    {"pictureOptionReleased", Area::Image},
    {"pictureOptionsDefaults", Area::Image},
    {"pictureOptionsClosing", Area::Image},
    {"closePictureOptions", Area::Image},
    {"openPicture", Area::Image},
    {"useDithering", Area::Image},
    {"openTextWindow", Area::Image},
    {"fillTextWindow", Area::Image},
    {"takeInTypedText", Area::Image},
    {"closeTextWindow", Area::Image},
    {"textWindowChanged", Area::Image},
    {"keepTypedText", Area::Image},
    {"openLayoutWindow", Area::Image},
    {"showLayoutWindow", Area::Image},
    {"layoutItemChosen", Area::Image},
    {"layoutNumbersChanged", Area::Image},
    {"layoutRemove", Area::Image},
    {"layoutAddPicture", Area::Image},
    {"layoutAddText", Area::Image},
    {"layoutAddCode", Area::Image},
    {"closeLayoutWindow", Area::Image},
    {"arrowKeys", Area::Engrave},
    {"jogUp", Area::Engrave},
    {"jogDown", Area::Engrave},
    {"jogLeft", Area::Engrave},
    {"jogRight", Area::Engrave},
    {"fastForward", Area::Engrave},
    {"fastBackward", Area::Engrave},
    {"recarve", Area::Engrave},
    {"frameCarvingArea", Area::Engrave},
    {"toMiddle", Area::Engrave},
    {"toLowerLeft", Area::Engrave},
    {"restart", Area::Engrave},
    {"pause", Area::Engrave},
    {"start", Area::Engrave},
    {"uploadImage", Area::Engrave},
    {"showBurningTime", Area::Engrave},
    {"sendBurningTime", Area::Engrave},
    {"positionReport", Area::Engrave},
    {"saveStepPulse", Area::Engrave},
    {"openJobWindow", Area::Engrave},
    {"fillJobWindow", Area::Engrave},
    {"jobPassesKey", Area::Engrave},
    {"jobCopiesKey", Area::Engrave},
    {"keepJobCounts", Area::Engrave},
    {"closeJobWindow", Area::Engrave},
    {"openTestCard", Area::Engrave},
    {"fillTestCard", Area::Engrave},
    {"runTestCard", Area::Engrave},
    {"stopTestCard", Area::Engrave},
    {"closeTestCard", Area::Engrave},
};

TEST(Bindings, EveryBoundHandlerIsRegistered) {
    HandlerRegistry registry;
    registerAllHandlers(registry);
    for (const WindowDef* def :
         {&mainWindowDefinition(), &settingWindowDefinition(), &pictureOptionsWindowDefinition(),
          &textWindowDefinition(), &layoutWindowDefinition(), &jobWindowDefinition(),
          &testCardWindowDefinition()}) {
        for (const auto& b : bindingsOf(*def)) {
            const auto area = kHandlerAreas.find(b.handler);
            ASSERT_NE(area, kHandlerAreas.end()) << "no area brings \"" << b.handler << "\"";
            EXPECT_TRUE(registry.contains(b.handler)) << def->name << " " << b.unit << " " << b.handler;
        }
    }
}

TEST(Bindings, AreasRegisterEveryHandlerTheyBring) {
    HandlerRegistry registry;
    registerAllHandlers(registry);
    for (const auto& [id, area] : kHandlerAreas) EXPECT_TRUE(registry.contains(id)) << id;
}

TEST(Bindings, EveryAreaHandlerIsBoundSomewhere) {
    std::set<std::string> bound;
    for (const WindowDef* def :
         {&mainWindowDefinition(), &settingWindowDefinition(), &pictureOptionsWindowDefinition(),
          &textWindowDefinition(), &layoutWindowDefinition(), &jobWindowDefinition(),
          &testCardWindowDefinition()}) {
        for (const auto& b : bindingsOf(*def)) bound.insert(b.handler);
    }
    for (const auto& [id, area] : kHandlerAreas) {
        if (id == "automaticConnection") continue;  // called by start-up, not bound
        if (id == "useDithering") continue;         // named by the notice that offers it
        EXPECT_TRUE(bound.count(id)) << id;
    }
}

}  // namespace
}  // namespace tessary
